#!/usr/bin/python3
"""Deterministic demo data for the Velmora data server.

Writes into --out:
  directory.sql  groups, sectors/industries, securities, NVConfig, NVMarket
  daily.csv      daily bars     (velmora-admin load-bars --daily)
  intraday.csv   one-minute bars (velmora-admin load-bars --intraday)
  quotes.csv     real-time snapshot (velmora-admin load-quotes)
  demo.env       DEMO_SIZE, DEMO_LAST_DATE, DEMO_FIRST_DATE, DEMO_INTRADAY_START

The same size gives byte-identical files on every run: every series comes
from its own generator seeded with a text (string seeds hash the same way
in every Python 3), and only uniform draws are used. Each ticker's daily
series is computed over the whole calendar, so the small set is an exact
subset of the full one.

VELMORA_DEMO_SIZE=small (or --size small): a few tickers, a year of daily
bars, a few days of minutes. Default: full.
"""

import argparse
import datetime as dt
import math
import os
import random
import sys

FIRST_DATE = dt.date(2015, 1, 2)
LAST_DATE = dt.date(2025, 10, 31)
SMALL_FIRST_DATE = dt.date(2024, 11, 1)
BACKFILL_EOD = dt.date(2015, 1, 2)
INTRADAY_START = LAST_DATE - dt.timedelta(days=30)

MARKETS = {1: "IDX", 2: "IDX Derivatif", 3: "World Market"}

GROUPS = [
    (1, "MAIN", "Main Board"),
    (2, "DEV", "Development Board"),
    (3, "ACC", "Acceleration Board"),
    (4, "IDX", "Indices"),
    (5, "FUT", "Derivatives"),
    (6, "WLD", "World Indices"),
    (7, "NEW", "New Economy Board"),
    (8, "WATCH", "Watchlist Board"),
    (9, "WR", "Warrants and Rights"),
]

# SSCode = sector number * 10 + n, so that a scan in key order gives each
# sector's industries as one run.
SECTORS = [
    (1, "Energy", ["Oil, Gas & Coal", "Alternative Energy"]),
    (2, "Basic Materials", ["Chemicals", "Construction Materials", "Metals & Minerals",
                            "Containers & Packaging", "Forestry & Paper"]),
    (3, "Industrials", ["Multi-sector Holdings", "Industrial Goods", "Industrial Services"]),
    (4, "Consumer Non-Cyclicals", ["Food & Beverage", "Tobacco", "Nondurable Household Products",
                                   "Food & Staples Retailing"]),
    (5, "Consumer Cyclicals", ["Retailing", "Media & Entertainment", "Automobiles & Components",
                               "Household Goods", "Consumer Services", "Leisure Goods",
                               "Apparel & Luxury Goods"]),
    (6, "Healthcare", ["Pharmaceuticals & Health Care Research",
                       "Healthcare Equipment & Providers"]),
    (7, "Financials", ["Banks", "Financing Service", "Investment Service", "Insurance",
                       "Holding & Investment Companies"]),
    (8, "Properties & Real Estate", ["Properties & Real Estate"]),
    (9, "Technology", ["Software & IT Services", "Technology Hardware & Equipment"]),
    (10, "Infrastructures", ["Telecommunication", "Transportation Infrastructure", "Utilities",
                             "Heavy Constructions & Civil Engineering"]),
    (11, "Transportation & Logistic", ["Logistics & Deliveries", "Transportation"]),
]

# Ticker, name, industry (SSCode), group, start price, listed shares (millions)
STOCKS = [
    ("BBCA", "Bank Central Asia Tbk", 71, 1, 2600, 123275),
    ("BBRI", "Bank Rakyat Indonesia (Persero) Tbk", 71, 1, 2300, 151559),
    ("BMRI", "Bank Mandiri (Persero) Tbk", 71, 1, 2650, 93333),
    ("BBNI", "Bank Negara Indonesia (Persero) Tbk", 71, 1, 3100, 37297),
    ("TLKM", "Telkom Indonesia (Persero) Tbk", 101, 1, 2850, 99062),
    ("ASII", "Astra International Tbk", 31, 1, 7400, 40484),
    ("UNVR", "Unilever Indonesia Tbk", 43, 1, 6500, 38150),
    ("ICBP", "Indofood CBP Sukses Makmur Tbk", 41, 1, 6600, 11662),
    ("INDF", "Indofood Sukses Makmur Tbk", 41, 1, 6750, 8780),
    ("GGRM", "Gudang Garam Tbk", 42, 1, 60000, 1924),
    ("HMSP", "H.M. Sampoerna Tbk", 42, 1, 3400, 116318),
    ("KLBF", "Kalbe Farma Tbk", 61, 1, 1800, 46875),
    ("CPIN", "Charoen Pokphand Indonesia Tbk", 41, 1, 3800, 16398),
    ("ADRO", "Adaro Energy Indonesia Tbk", 11, 1, 1000, 31986),
    ("PTBA", "Bukit Asam Tbk", 11, 1, 2400, 11521),
    ("ANTM", "Aneka Tambang Tbk", 23, 1, 1050, 24031),
    ("INCO", "Vale Indonesia Tbk", 23, 1, 3600, 9936),
    ("PGAS", "Perusahaan Gas Negara Tbk", 103, 1, 3100, 24242),
    ("SMGR", "Semen Indonesia (Persero) Tbk", 22, 1, 11000, 6752),
    ("INTP", "Indocement Tunggal Prakarsa Tbk", 22, 1, 23000, 3681),
    ("UNTR", "United Tractors Tbk", 32, 1, 17000, 3730),
    ("JSMR", "Jasa Marga (Persero) Tbk", 102, 1, 5300, 7258),
    ("EXCL", "XL Axiata Tbk", 101, 1, 4300, 13128),
    ("ISAT", "Indosat Tbk", 101, 1, 4500, 8062),
    ("MDKA", "Merdeka Copper Gold Tbk", 23, 1, 1600, 24110),
    ("BRPT", "Barito Pacific Tbk", 21, 1, 250, 93747),
    ("TOWR", "Sarana Menara Nusantara Tbk", 101, 1, 900, 51015),
    ("ACES", "Aspirasi Hidup Indonesia Tbk", 51, 1, 800, 17120),
    ("MNCN", "Media Nusantara Citra Tbk", 52, 2, 2500, 15050),
    ("AKRA", "AKR Corporindo Tbk", 11, 1, 4100, 19739),
    ("BSDE", "Bumi Serpong Damai Tbk", 81, 1, 1800, 21171),
    ("PWON", "Pakuwon Jati Tbk", 81, 2, 500, 48159),
]

# Ticker, name, market, group, code type, start level
INDICES = [
    ("COMPOSITE", "Jakarta Composite Index", 1, 4, "Indices", 5200.0),
    ("LQ45", "LQ45 Index", 1, 4, "Indices", 900.0),
    ("IDX30", "IDX30 Index", 1, 4, "Indices", 470.0),
    ("JII", "Jakarta Islamic Index", 1, 4, "Indices", 690.0),
    ("IDXFINANCE", "IDX Sector Financials", 1, 4, "RegIdx", 1100.0),
    ("DJI", "Dow Jones Industrial Average", 3, 6, "Indices", 17800.0),
    ("N225", "Nikkei 225", 3, 6, "Indices", 17400.0),
]

# Derivatives: ticker, name, market, group, code type, start level
FUTURES = [
    ("LQ45F", "LQ45 Index Futures", 2, 5, "Futures", 900.0),
]

# Corporate actions: (ticker, ex-date, factor). The last trading day before
# the ex-date carries AdjClose = Close * factor, which brings every older bar
# onto the scale of the newer ones; the raw prices before the ex-date are
# 1 / factor times the adjusted ones.
ACTIONS = [
    ("TLKM", dt.date(2016, 10, 28), 0.2),    # 5-for-1 split
    ("BBRI", dt.date(2017, 11, 10), 0.2),    # 5-for-1 split
    ("UNVR", dt.date(2020, 1, 2), 0.2),      # 5-for-1 split
    ("BBCA", dt.date(2021, 10, 13), 0.2),    # 5-for-1 split
    ("BBCA", dt.date(2025, 3, 26), 0.9801),  # cash dividend
    ("ASII", dt.date(2025, 5, 20), 0.9265),  # cash dividend
]

SMALL_TICKERS = ["ASII", "BBCA", "TLKM", "COMPOSITE"]
FULL_INTRADAY = ["BBCA", "BBRI", "BMRI", "TLKM", "ASII", "COMPOSITE"]
SMALL_INTRADAY = ["BBCA", "COMPOSITE"]
FULL_INTRADAY_DAYS = 15
SMALL_INTRADAY_DAYS = 3
MINUTES = [dt.time(h, m) for h in range(9, 16) for m in range(60) if (h, m) < (15, 50)]

HOLIDAYS_MD = {(1, 1), (8, 17), (12, 25)}


def trading_days(first, last):
    days = []
    d = first
    while d <= last:
        if d.weekday() < 5 and (d.month, d.day) not in HOLIDAYS_MD:
            days.append(d)
        d += dt.timedelta(days=1)
    return days


def normal(rng):
    # Box-Muller from two uniform draws.
    u1 = rng.random() or 1e-12
    u2 = rng.random()
    return math.sqrt(-2.0 * math.log(u1)) * math.cos(2.0 * math.pi * u2)


def tick_size(price):
    if price < 200:
        return 1
    if price < 500:
        return 2
    if price < 2000:
        return 5
    if price < 5000:
        return 10
    return 25


def to_tick(price):
    t = tick_size(price)
    return max(t, int(round(price / t)) * t)


def fmt(x, is_index):
    if x is None:
        return ""
    if is_index:
        return "%.2f" % x
    if float(x).is_integer():
        return "%d" % x
    return ("%.4f" % x).rstrip("0").rstrip(".")


class Security:
    def __init__(self, ticker, name, market, group, code_type, sscode, start, shares, is_index):
        self.ticker = ticker
        self.name = name
        self.market = market
        self.group = group
        self.code_type = code_type
        self.sscode = sscode
        self.start = start
        self.shares = shares
        self.is_index = is_index
        self.bars = {}  # date -> [open, high, low, close, volume, adjclose]


def securities():
    out = []
    for t, name, ss, grp, price, shares in STOCKS:
        out.append(Security(t, name, 1, grp, "Saham", ss, price, shares * 1e6, False))
    for t, name, mkt, grp, ctype, level in INDICES + FUTURES:
        out.append(Security(t, name, mkt, grp, ctype, 0, level, 0.0, True))
    return out


def daily_series(sec, days):
    """Adjusted random walk, then raw prices un-adjusted for later actions."""
    rng = random.Random("velmora-demo-daily:" + sec.ticker)
    sigma = 0.011 if sec.is_index else 0.019
    drift = 0.0002
    actions = [(d, f) for (t, d, f) in ACTIONS if t == sec.ticker]
    adj = sec.start
    # Scale of raw to adjusted prices before each day: product of 1/factor of
    # every action whose ex-date is later than the day.
    prev_close_adj = None
    for d in days:
        scale = 1.0
        for ex, f in actions:
            if d < ex:
                scale /= f
        adj *= math.exp(drift + sigma * normal(rng))
        close_adj = adj
        open_adj = close_adj * math.exp(0.4 * sigma * normal(rng))
        if prev_close_adj is not None:
            open_adj = prev_close_adj * 0.5 + open_adj * 0.5
        hi_adj = max(open_adj, close_adj) * (1 + abs(0.5 * sigma * normal(rng)))
        lo_adj = min(open_adj, close_adj) * (1 - abs(0.5 * sigma * normal(rng)))
        if sec.is_index:
            o, h, l, c = (round(v * scale, 2) for v in (open_adj, hi_adj, lo_adj, close_adj))
            vol = float(int(2e9 * (0.5 + rng.random())) // 100 * 100) if sec.market == 1 else 0.0
        else:
            o, h, l, c = (to_tick(v * scale) for v in (open_adj, hi_adj, lo_adj, close_adj))
            h = max(h, o, c)
            l = min(l, o, c)
            # Fewer, dearer shares before a split.
            lots = int(sec.shares / 1e4 * (0.2 + 1.6 * rng.random()) * (1 + 3 * abs(normal(rng)))
                       / 100 / scale)
            vol = float(max(lots, 1) * 100)
        sec.bars[d] = [o, h, l, c, vol, c]
        prev_close_adj = close_adj
    # AdjClose of the last day before each ex-date.
    for ex, f in actions:
        before = [d for d in days if d < ex]
        if before:
            bar = sec.bars[before[-1]]
            bar[5] = round(bar[3] * f, 4)


def intraday_series(sec, day, bar):
    """Minutes 09:00..15:49 from the day's open to its close; the daily bar
    then takes its high, low and volume from the minutes."""
    rng = random.Random("velmora-demo-intraday:%s:%s" % (sec.ticker, day.isoformat()))
    o, _, _, c, vol, _ = bar
    n = len(MINUTES)
    walk = [0.0]
    for _ in range(n):
        walk.append(walk[-1] + normal(rng))
    sd = 0.01 * o / math.sqrt(n)
    pts = [o + sd * (walk[i] - walk[n] * i / n) + (c - o) * i / n for i in range(n + 1)]
    rows = []
    total = 0.0
    for i, t in enumerate(MINUTES):
        a, b = pts[i], pts[i + 1]
        if i == n - 1:
            b = c
        hi = max(a, b) + abs(sd * 0.5 * normal(rng))
        lo = min(a, b) - abs(sd * 0.5 * normal(rng))
        if sec.is_index:
            mo, mh, ml, mc = (round(v, 2) for v in (a, hi, lo, b))
            mv = float(int(vol / n * (0.3 + 1.4 * rng.random())) // 100 * 100)
        else:
            mo, mh, ml, mc = (to_tick(v) for v in (a, hi, lo, b))
            mh = max(mh, mo, mc)
            ml = min(ml, mo, mc)
            mv = float(max(1, int(vol / n / 100 * (0.3 + 1.4 * rng.random()))) * 100)
        if i == 0:
            mo = o
        if i == n - 1:
            mc = c
        mh = max(mh, mo, mc)
        ml = min(ml, mo, mc)
        total += mv
        rows.append((t, mo, mh, ml, mc, mv))
    bar[1] = max(r[2] for r in rows)
    bar[2] = min(r[3] for r in rows)
    bar[4] = total
    return rows


# The rest of the exchange's directory, in the full set only: listed
# companies without bars, more indices, warrants, rights and futures, so that
# an import shows a directory of the exchange's size. Names are made from
# Indonesian business words; every draw comes from one seeded generator.
NAME_WORDS = [
    "Sumber", "Bumi", "Mitra", "Indo", "Sinar", "Cahaya", "Prima", "Jaya", "Surya", "Nusantara",
    "Graha", "Karya", "Dharma", "Multi", "Sarana", "Bintang", "Mega", "Pelangi", "Samudra",
    "Global", "Wahana", "Kencana", "Intan", "Mulia", "Buana", "Citra", "Cipta", "Perdana",
    "Anugerah", "Berkah", "Lautan", "Gunung", "Sentosa", "Abadi", "Makmur", "Sejahtera", "Utama",
    "Lestari", "Permata", "Harapan", "Mandiri", "Agung", "Raya", "Timur", "Barat", "Persada",
    "Andalan", "Gemilang", "Sakti", "Pratama", "Mas", "Megah", "Baru", "Tunggal", "Nusa",
]
INDUSTRY_WORDS = {
    11: ["Energi", "Resources", "Coal", "Petro"], 12: ["Energi Terbarukan", "Solar", "Power"],
    21: ["Kimia", "Chemical", "Petrokimia"], 22: ["Semen", "Keramik", "Beton"],
    23: ["Mining", "Logam", "Tambang", "Mineral"], 24: ["Kemasan", "Packaging"],
    25: ["Kertas", "Pulp", "Kayu"], 31: ["Investama", "Holdings"],
    32: ["Industri", "Steel", "Mesin"], 33: ["Services", "Teknik"],
    41: ["Food", "Pangan", "Agro", "Minuman"], 42: ["Tembakau"],
    43: ["Consumer", "Kosmetik"], 44: ["Retail Pangan", "Mart"],
    51: ["Retail", "Ritel", "Store"], 52: ["Media", "Entertainment", "Broadcasting"],
    53: ["Otomotif", "Motor", "Auto Parts"], 54: ["Furniture", "Elektronik"],
    55: ["Hotel", "Pariwisata", "Restoran", "Edukasi"], 56: ["Sport", "Leisure"],
    57: ["Tekstil", "Garmen", "Fashion"], 61: ["Farma", "Pharma", "Lab"],
    62: ["Medika", "Hospital", "Health"], 71: ["Bank"], 72: ["Finance", "Multifinance"],
    73: ["Sekuritas", "Capital"], 74: ["Asuransi", "Reasuransi"], 75: ["Investindo", "Capital Group"],
    81: ["Land", "Properti", "Realty", "Development"], 91: ["Digital", "Teknologi", "Data"],
    92: ["Elektrindo", "Hardware"], 101: ["Telekomunikasi", "Tower", "Network"],
    102: ["Infrastruktur", "Toll Road", "Port"], 103: ["Gas", "Power", "Air"],
    104: ["Konstruksi", "Karya Beton", "Engineering"], 111: ["Logistik", "Express", "Cargo"],
    112: ["Transportasi", "Pelayaran", "Airlines", "Shipping"],
}
# Listed companies per industry in the full set.
INDUSTRY_COUNTS = {
    11: 30, 12: 5, 21: 16, 22: 10, 23: 22, 24: 8, 25: 7, 31: 8, 32: 18, 33: 8, 41: 38, 42: 4,
    43: 10, 44: 10, 51: 22, 52: 14, 53: 14, 54: 10, 55: 26, 56: 5, 57: 14, 61: 12, 62: 16,
    71: 44, 72: 18, 73: 10, 74: 18, 75: 14, 81: 62, 91: 22, 92: 6, 101: 10, 102: 8, 103: 8,
    104: 14, 111: 8, 112: 20,
}
MORE_INDICES = [
    ("IDX80", "IDX80 Index"), ("JII70", "Jakarta Islamic Index 70"), ("KOMPAS100", "Kompas100"),
    ("BISNIS-27", "Bisnis-27"), ("PEFINDO25", "PEFINDO25"), ("SRI-KEHATI", "SRI-KEHATI"),
    ("MNC36", "MNC36"), ("INFOBANK15", "Infobank15"), ("SMINFRA18", "SMinfra18"),
    ("IDXBUMN20", "IDX BUMN20"), ("IDXHIDIV20", "IDX High Dividend 20"), ("IDXG30", "IDX Growth30"),
    ("IDXV30", "IDX Value30"), ("IDXQ30", "IDX Quality30"), ("IDXESGL", "IDX ESG Leaders"),
    ("ISSI", "Indonesia Sharia Stock Index"), ("DBX", "Development Board Index"),
    ("MBX", "Main Board Index"), ("IDXSMC-LIQ", "IDX SMC Liquid"),
]
SECTOR_INDICES = [
    ("IDXENERGY", 1), ("IDXBASIC", 2), ("IDXINDUST", 3), ("IDXNONCYC", 4), ("IDXCYCLIC", 5),
    ("IDXHEALTH", 6), ("IDXPROPERT", 8), ("IDXTECHNO", 9), ("IDXINFRA", 10), ("IDXTRANS", 11),
]
WORLD_INDICES = [
    ("SPX", "S&P 500", "Indices"), ("IXIC", "Nasdaq Composite", "Indices"),
    ("FTSE", "FTSE 100", "Indices"), ("GDAXI", "DAX", "Indices"),
    ("HSI", "Hang Seng Index", "RegIdx"), ("STI", "Straits Times Index", "RegIdx"),
    ("KLSE", "FTSE Bursa Malaysia KLCI", "RegIdx"), ("SET", "SET Index", "RegIdx"),
    ("KOSPI", "KOSPI Composite", "RegIdx"), ("SSEC", "Shanghai Composite", "RegIdx"),
    ("PSEI", "PSE Composite", "RegIdx"),
]
FUTURE_MONTHS = ["2511", "2512", "2603"]


def directory_only(listed):
    """Securities of the full directory that have no bars."""
    rng = random.Random("velmora-demo-directory")
    taken = {s.ticker for s in listed}
    out = []

    def code_for(words):
        letters = "".join(w[0] for w in words).upper()
        pool = "".join(words).upper().replace(" ", "").replace("-", "")
        for candidate in [letters[:4].ljust(4, pool[1])] + [
                "".join(rng.choice(pool) for _ in range(4)) for _ in range(50)]:
            candidate = candidate[:4]
            if candidate.isalpha() and candidate not in taken:
                taken.add(candidate)
                return candidate
        raise RuntimeError("no free code")

    stocks = []
    for ss in sorted(INDUSTRY_COUNTS):
        for _ in range(INDUSTRY_COUNTS[ss]):
            first, second = rng.sample(NAME_WORDS, 2)
            kind = rng.choice(INDUSTRY_WORDS[ss])
            words = ([kind, first, second] if kind in ("Bank", "Asuransi", "Semen") else
                     [first, second, kind])
            ticker = code_for([first, second, kind])
            name = " ".join(words) + " Tbk"
            r = rng.random()
            group = 7 if ss in (91, 92) and r < 0.4 else (
                1 if r < 0.55 else 2 if r < 0.88 else 3 if r < 0.94 else 8)
            shares = float(int(500 + 40000 * rng.random() ** 2) * 1e6)
            stocks.append(Security(ticker, name, 1, group, "Saham", ss, 0, shares, False))
    out.extend(stocks)
    # Warrants and rights follow their company's industry.
    for s in rng.sample(stocks, 36):
        out.append(Security(s.ticker + "-W", "Waran Seri I " + s.name, 1, 9, "Waran", s.sscode,
                            0, 0.0, False))
    for s in rng.sample(stocks, 8):
        out.append(Security(s.ticker + "-R", "Right Issue " + s.name, 1, 9, "Right", s.sscode,
                            0, 0.0, False))
    for t, name in MORE_INDICES:
        out.append(Security(t, name, 1, 4, "Indices", 0, 0, 0.0, True))
    for t, sector in SECTOR_INDICES:
        sector_name = next(n for num, n, _ in SECTORS if num == sector)
        sec = Security(t, "IDX Sector " + sector_name, 1, 4, "Indices", 0, 0, 0.0, True)
        sec.sector_index = sector
        out.append(sec)
    for t, name, ctype in WORLD_INDICES:
        out.append(Security(t, name, 3, 6, ctype, 0, 0, 0.0, True))
    for base in ("LQ45", "IDX30"):
        for month in FUTURE_MONTHS:
            out.append(Security("%sF%s" % (base, month), "%s Index Futures %s" % (base, month), 2,
                                5, "Futures", 0, 0, 0.0, True))
    return out


def sql_text(s):
    return "'" + s.replace("\\", "\\\\").replace("'", "''") + "'"


def write_directory(path, secs, last_day):
    lines = ["-- generated by server/demo_data.py", "SET NAMES utf8mb4;",
             "START TRANSACTION;",
             "DELETE FROM nvcategory_group;", "DELETE FROM NVSectors;",
             "DELETE FROM nvquotes_235;", "DELETE FROM NVConfig;", "DELETE FROM NVMarket;"]
    lines.append("INSERT INTO nvcategory_group (GroupID, GroupCode, GroupName) VALUES")
    lines.append(",\n".join("(%d,%s,%s)" % (g, sql_text(c), sql_text(n)) for g, c, n in GROUPS) + ";")
    rows = []
    for num, sector, industries in SECTORS:
        for k, ind in enumerate(industries, 1):
            rows.append("(%d,%s,%s)" % (num * 10 + k, sql_text(sector), sql_text(ind)))
    lines.append("INSERT INTO NVSectors (SSCode, SectorName, SSName) VALUES")
    lines.append(",\n".join(rows) + ";")
    rows = []
    for s in secs:
        sector_index = getattr(s, "sector_index", s.sscode // 10 if s.sscode else 0)
        rows.append("(%s,%d,%s,%d,%s,%s,%d,%d)" % (
            sql_text(s.ticker), s.sscode, "%.0f" % s.shares if s.shares else "NULL",
            s.market, sql_text(s.name), sql_text(s.code_type), sector_index, s.group))
    lines.append("INSERT INTO nvquotes_235 (Ticker, SSCode, ListedShares, MarketID, CodeName, "
                 "CodeType, SectoralIndices, GroupID) VALUES")
    lines.append(",\n".join(rows) + ";")
    lines.append("INSERT INTO NVConfig (id, Backfill_EOD, Backfill_Intraday, TimerEventTrade, "
                 "TimerEventEOD) VALUES (1, '%s', '%s', 5, 30);"
                 % (BACKFILL_EOD.isoformat(), INTRADAY_START.isoformat()))
    lines.append("INSERT INTO NVMarket (id, StatusMessage, isMarketClosed, MarketDate, EOD) "
                 "VALUES (1, 'Market open', 0, '%s', 0);" % last_day.isoformat())
    lines.append("COMMIT;")
    with open(path, "w", newline="\n") as f:
        f.write("\n".join(lines) + "\n")


def write_quotes(path, secs, days):
    cols = ["Code", "LastUpdate", "Open", "High", "Low", "Last", "AvgPrice", "Chg", "BLot",
            "BidPrice", "OfferPrice", "SLot", "TVol", "TVal", "H52W", "L52W", "EPS",
            "Dividend", "DivYield"]
    last, prev = days[-1], days[-2]
    year = days[-250:]
    out = [",".join(cols)]
    for s in secs:
        rng = random.Random("velmora-demo-quote:" + s.ticker)
        o, h, l, c, v, _ = s.bars[last]
        pc = s.bars[prev][3]
        # 52-week range on the scale of today's prices.
        closes = [s.bars[d][3] for d in year]
        scale_hi = max(closes)
        scale_lo = min(closes)
        if s.is_index:
            avg = round((h + l + c) / 3, 2)
            bid, offer = round(c - 0.01, 2), round(c + 0.01, 2)
            blot = slot = 0.0
            eps = div = yld = 0.0
        else:
            t = tick_size(c)
            avg = to_tick((h + l + c) / 3)
            bid, offer = c - t, c
            blot = float(int(50 + 5000 * rng.random()))
            slot = float(int(50 + 5000 * rng.random()))
            eps = round(c / (8 + 20 * rng.random()), 2)
            div = round(eps * (0.2 + 0.5 * rng.random()), 2)
            yld = round(div / c * 100, 2)
        stamp = "%s 15:49:%02d" % (last.isoformat(), int(60 * rng.random()))
        vals = [s.ticker, stamp, o, h, l, c, avg, round(c - pc, 2), blot, bid, offer, slot, v,
                round(v * avg, 0), scale_hi, scale_lo, eps, div, yld]
        out.append(",".join(vals[:2] + [fmt(x, s.is_index) for x in vals[2:]]))
    with open(path, "w", newline="\n") as f:
        f.write("\n".join(out) + "\n")


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--out", required=True, help="folder for the generated files")
    ap.add_argument("--size", choices=["small", "full"],
                    default=os.environ.get("VELMORA_DEMO_SIZE") or "full")
    args = ap.parse_args()
    if args.size not in ("small", "full"):
        sys.exit("demo_data: size must be small or full")
    os.makedirs(args.out, exist_ok=True)

    days = trading_days(FIRST_DATE, LAST_DATE)
    secs = securities()
    for s in secs:
        daily_series(s, days)

    # Minutes are always made for the full set: they also shape the daily
    # bars of their days, which must not depend on the size.
    minutes = {}
    for s in secs:
        if s.ticker in FULL_INTRADAY:
            for d in days[-FULL_INTRADAY_DAYS:]:
                minutes[(s.ticker, d)] = intraday_series(s, d, s.bars[d])

    small = args.size == "small"
    first = SMALL_FIRST_DATE if small else FIRST_DATE
    bar_tickers = set(SMALL_TICKERS) if small else {s.ticker for s in secs}
    intra_tickers = SMALL_INTRADAY if small else FULL_INTRADAY
    intra_days = days[-(SMALL_INTRADAY_DAYS if small else FULL_INTRADAY_DAYS):]

    header = "Ticker,Date,Time,Open,High,Low,Close,Volume,AdjClose"
    with open(os.path.join(args.out, "intraday.csv"), "w", newline="\n") as f:
        f.write(header + "\n")
        for s in secs:
            if s.ticker not in intra_tickers:
                continue
            for d in intra_days:
                for t, o, h, l, c, v in minutes[(s.ticker, d)]:
                    f.write("%s,%s,%s,%s,%s,%s,%s,%s,%s\n" % (
                        s.ticker, d.isoformat(), t.strftime("%H:%M:%S"), fmt(o, s.is_index),
                        fmt(h, s.is_index), fmt(l, s.is_index), fmt(c, s.is_index),
                        fmt(v, False), fmt(c, s.is_index)))

    with open(os.path.join(args.out, "daily.csv"), "w", newline="\n") as f:
        f.write(header + "\n")
        for s in secs:
            if s.ticker not in bar_tickers:
                continue
            for d in days:
                if d < first:
                    continue
                o, h, l, c, v, a = s.bars[d]
                f.write("%s,%s,,%s,%s,%s,%s,%s,%s\n" % (
                    s.ticker, d.isoformat(), fmt(o, s.is_index), fmt(h, s.is_index),
                    fmt(l, s.is_index), fmt(c, s.is_index), fmt(v, False), fmt(a, s.is_index)))

    quote_secs = [s for s in secs if s.ticker in bar_tickers]
    write_quotes(os.path.join(args.out, "quotes.csv"), quote_secs, days)
    listed = secs if small else secs + directory_only(secs)
    write_directory(os.path.join(args.out, "directory.sql"), listed, days[-1])
    with open(os.path.join(args.out, "demo.env"), "w", newline="\n") as f:
        f.write("DEMO_SIZE=%s\nDEMO_FIRST_DATE=%s\nDEMO_LAST_DATE=%s\nDEMO_INTRADAY_START=%s\n" % (
            args.size, first.isoformat(), days[-1].isoformat(), INTRADAY_START.isoformat()))


if __name__ == "__main__":
    main()
