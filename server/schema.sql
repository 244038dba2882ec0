-- Velmora data server: tables of db_amiplugin.
--
-- Loaded by scripts/dbserver as the server's superuser on a fresh data
-- directory (and by `scripts/dbserver reload`). Recreates the database from
-- nothing, so it must only ever run against the private server.
--
-- Conventions:
--  * InnoDB and a primary key on every table.
--  * Tickers, codes and client ids compare byte for byte (utf8mb4_bin):
--    the plug-in sends a ticker exactly as the charting host gave it, and
--    'bbca' must not find the row of 'BBCA'.
--  * Every price, volume and ratio is DOUBLE NULL: the plug-in reads them as
--    32-bit floats and must cope with NULLs, so the data may carry them.
--    A check keeps each of them within what a 32-bit float holds
--    (|x| <= FLT_MAX, 3.4028234663852886e38): a larger double would reach the
--    plug-in as an infinity. DOUBLE itself holds no NaN or infinity. (A
--    FLOAT column would bound the range too, but round every price.)

DROP DATABASE IF EXISTS db_amiplugin;
CREATE DATABASE db_amiplugin CHARACTER SET utf8mb4 COLLATE utf8mb4_general_ci;
USE db_amiplugin;

-- Read by every plug-in at each open. One row (id 1) in practice; the
-- plug-in applies every row it gets, the last one deciding the dates.
CREATE TABLE NVConfig (
  id                INT NOT NULL,
  Backfill_EOD      DATETIME NULL,
  Backfill_Intraday DATETIME NULL,
  TimerEventTrade   DOUBLE NULL,
  TimerEventEOD     DOUBLE NULL,
  PRIMARY KEY (id),
  CONSTRAINT ck_config_float_range CHECK (ABS(TimerEventTrade) <= 3.4028234663852886e38
    AND ABS(TimerEventEOD) <= 3.4028234663852886e38)
) ENGINE=InnoDB;

-- One row per installation. LastConnID is the connection number that holds
-- the session (0: nobody); CurrConnID is the connection number granted to
-- the installation. The check refuses a plug-in when LastConnID is neither 0
-- nor the number that plug-in saw last, i.e. the session is held elsewhere.
-- OwnerConnID names the server connection (CONNECTION_ID()) that took the
-- session and holds its lock, OwnerNode the server it is on (in a cluster,
-- the node's client address; '' on a server of its own), OwnerHost the
-- address it came from: only that connection may give it up, and once it no
-- longer exists the session is free (procedures.sql). NULL (OwnerNode '')
-- while nobody holds it, or when an operator set LastConnID by hand.
CREATE TABLE NVSession (
  ClientID       VARCHAR(128) CHARACTER SET utf8mb4 COLLATE utf8mb4_bin NOT NULL,
  UserName       VARCHAR(128) NOT NULL DEFAULT '',
  Email          VARCHAR(255) NOT NULL DEFAULT '',
  LastConnID     INT NOT NULL DEFAULT 0,
  CurrConnID     INT NOT NULL DEFAULT 1,
  Permit         INT NOT NULL DEFAULT 1,
  ColCloseBidAsk VARCHAR(64) NOT NULL DEFAULT 'CloseBidAsk',
  ColBid         VARCHAR(64) NOT NULL DEFAULT 'Bid',
  ColAsk         VARCHAR(64) NOT NULL DEFAULT 'Ask',
  IntradayStart  DATE NULL,
  SessionStatus  INT NOT NULL DEFAULT 0,
  OwnerConnID    BIGINT UNSIGNED NULL,
  OwnerNode      VARCHAR(64) NOT NULL DEFAULT '',
  OwnerHost      VARCHAR(64) NULL,
  PRIMARY KEY (ClientID),
  KEY ix_session_email (Email),
  KEY ix_session_owner_host (OwnerHost)
) ENGINE=InnoDB;

-- The market's state: exactly one row, id 1, so that the status poll's join
-- yields one row per matching session.
CREATE TABLE NVMarket (
  id             INT NOT NULL,
  StatusMessage  VARCHAR(255) NOT NULL DEFAULT '',
  isMarketClosed INT NOT NULL DEFAULT 0,
  MarketDate     DATE NULL,
  EOD            INT NOT NULL DEFAULT 0,
  PRIMARY KEY (id),
  CONSTRAINT ck_market_single_row CHECK (id = 1)
) ENGINE=InnoDB;

-- Daily bars. The primary key (Ticker, TrDate) serves the bar query:
-- one ticker, dates from the start on, oldest first.
CREATE TABLE NVEod (
  Ticker   VARCHAR(32) CHARACTER SET utf8mb4 COLLATE utf8mb4_bin NOT NULL,
  TrDate   DATE NOT NULL,
  Open     DOUBLE NULL,
  High     DOUBLE NULL,
  Low      DOUBLE NULL,
  Close    DOUBLE NULL,
  Volume   DOUBLE NULL,
  AdjClose DOUBLE NULL,
  PRIMARY KEY (Ticker, TrDate),
  CONSTRAINT ck_eod_float_range CHECK (ABS(Open) <= 3.4028234663852886e38
    AND ABS(High) <= 3.4028234663852886e38
    AND ABS(Low) <= 3.4028234663852886e38
    AND ABS(Close) <= 3.4028234663852886e38
    AND ABS(Volume) <= 3.4028234663852886e38
    AND ABS(AdjClose) <= 3.4028234663852886e38)
) ENGINE=InnoDB;

-- One-minute bars. TrStamp is the bar's date and time as the number
-- yyyymmddhhmmss, so that the plug-in's start point (a run of digits) is
-- compared with one indexed column; (Ticker, TrStamp) serves the bar query.
CREATE TABLE NVIntraday (
  Ticker   VARCHAR(32) CHARACTER SET utf8mb4 COLLATE utf8mb4_bin NOT NULL,
  TrDate   DATE NOT NULL,
  TrTime   TIME NOT NULL,
  Open     DOUBLE NULL,
  High     DOUBLE NULL,
  Low      DOUBLE NULL,
  Close    DOUBLE NULL,
  Volume   DOUBLE NULL,
  AdjClose DOUBLE NULL,
  TrStamp  BIGINT AS (
             (YEAR(TrDate) * 10000 + MONTH(TrDate) * 100 + DAYOFMONTH(TrDate)) * 1000000
             + HOUR(TrTime) * 10000 + MINUTE(TrTime) * 100 + SECOND(TrTime)
           ) STORED,
  PRIMARY KEY (Ticker, TrDate, TrTime),
  UNIQUE KEY ux_intraday_stamp (Ticker, TrStamp),
  CONSTRAINT ck_intraday_time CHECK (TrTime >= '00:00:00' AND TrTime <= '23:59:59'),
  CONSTRAINT ck_intraday_float_range CHECK (ABS(Open) <= 3.4028234663852886e38
    AND ABS(High) <= 3.4028234663852886e38
    AND ABS(Low) <= 3.4028234663852886e38
    AND ABS(Close) <= 3.4028234663852886e38
    AND ABS(Volume) <= 3.4028234663852886e38
    AND ABS(AdjClose) <= 3.4028234663852886e38)
) ENGINE=InnoDB;

-- Real-time snapshot, one row per code.
CREATE TABLE NVRealtime (
  Code       VARCHAR(64) CHARACTER SET utf8mb4 COLLATE utf8mb4_bin NOT NULL,
  LastUpdate DATETIME NULL,
  Open       DOUBLE NULL,
  High       DOUBLE NULL,
  Low        DOUBLE NULL,
  Last       DOUBLE NULL,
  AvgPrice   DOUBLE NULL,
  Chg        DOUBLE NULL,
  BLot       DOUBLE NULL,
  BidPrice   DOUBLE NULL,
  OfferPrice DOUBLE NULL,
  SLot       DOUBLE NULL,
  TVol       DOUBLE NULL,
  TVal       DOUBLE NULL,
  H52W       DOUBLE NULL,
  L52W       DOUBLE NULL,
  EPS        DOUBLE NULL,
  Dividend   DOUBLE NULL,
  DivYield   DOUBLE NULL,
  PRIMARY KEY (Code),
  CONSTRAINT ck_realtime_float_range CHECK (ABS(Open) <= 3.4028234663852886e38
    AND ABS(High) <= 3.4028234663852886e38
    AND ABS(Low) <= 3.4028234663852886e38
    AND ABS(Last) <= 3.4028234663852886e38
    AND ABS(AvgPrice) <= 3.4028234663852886e38
    AND ABS(Chg) <= 3.4028234663852886e38
    AND ABS(BLot) <= 3.4028234663852886e38
    AND ABS(BidPrice) <= 3.4028234663852886e38
    AND ABS(OfferPrice) <= 3.4028234663852886e38
    AND ABS(SLot) <= 3.4028234663852886e38
    AND ABS(TVol) <= 3.4028234663852886e38
    AND ABS(TVal) <= 3.4028234663852886e38
    AND ABS(H52W) <= 3.4028234663852886e38
    AND ABS(L52W) <= 3.4028234663852886e38
    AND ABS(EPS) <= 3.4028234663852886e38
    AND ABS(Dividend) <= 3.4028234663852886e38
    AND ABS(DivYield) <= 3.4028234663852886e38)
) ENGINE=InnoDB;

-- Directory of listed securities. Read whole; every column is read by name.
CREATE TABLE nvquotes_235 (
  Ticker          VARCHAR(32) CHARACTER SET utf8mb4 COLLATE utf8mb4_bin NOT NULL,
  SSCode          INT NOT NULL DEFAULT 0,
  ListedShares    DOUBLE NULL,
  MarketID        INT NOT NULL DEFAULT 1,
  CodeName        VARCHAR(128) NOT NULL DEFAULT '',
  CodeType        VARCHAR(16) CHARACTER SET utf8mb4 COLLATE utf8mb4_bin NOT NULL DEFAULT '',
  SectoralIndices INT NOT NULL DEFAULT 0,
  GroupID         INT NOT NULL DEFAULT 0,
  PRIMARY KEY (Ticker),
  CONSTRAINT ck_quotes_float_range CHECK (ABS(ListedShares) <= 3.4028234663852886e38)
) ENGINE=InnoDB;

CREATE TABLE nvcategory_group (
  GroupID   INT NOT NULL,
  GroupCode VARCHAR(16) NOT NULL DEFAULT '',
  GroupName VARCHAR(64) NOT NULL DEFAULT '',
  PRIMARY KEY (GroupID)
) ENGINE=InnoDB;

-- Industries (SSCode) with the sector each belongs to. The importer numbers
-- sectors by runs of equal SectorName in the order rows come back, and a
-- plain scan returns them in SSCode order: SSCode is therefore chosen so
-- that the industries of one sector are adjacent (sector * 10 + n).
CREATE TABLE NVSectors (
  SSCode     INT NOT NULL,
  SectorName VARCHAR(64) NOT NULL DEFAULT '',
  SSName     VARCHAR(128) NOT NULL DEFAULT '',
  PRIMARY KEY (SSCode)
) ENGINE=InnoDB;

-- What the procedures received, oldest first; `velmora-admin calls` prints
-- ProcName(Args) and the Note, if any (a call that changed nothing because
-- its connection does not own the session, a session freed because its
-- owner is gone). ConnID is the caller's server connection. Not readable by
-- the plug-in's account.
CREATE TABLE NVCallLog (
  id       BIGINT NOT NULL AUTO_INCREMENT,
  CalledAt DATETIME(6) NOT NULL,
  ProcName VARCHAR(64) NOT NULL,
  Args     TEXT NOT NULL,
  ConnID   BIGINT UNSIGNED NULL,
  Note     VARCHAR(255) NOT NULL DEFAULT '',
  PRIMARY KEY (id)
) ENGINE=InnoDB;

-- Messages that plug-ins send to the server's log.
CREATE TABLE NVMessageLog (
  id       BIGINT NOT NULL AUTO_INCREMENT,
  LoggedAt DATETIME(6) NOT NULL,
  ClientID VARCHAR(128) CHARACTER SET utf8mb4 COLLATE utf8mb4_bin NOT NULL,
  Email    VARCHAR(255) NOT NULL,
  Message  TEXT NOT NULL,
  PRIMARY KEY (id),
  KEY ix_message_client (ClientID)
) ENGINE=InnoDB;
