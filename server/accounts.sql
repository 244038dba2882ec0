-- Velmora data server: accounts and their rights.
--
-- Loaded after schema.sql and procedures.sql (EXECUTE can only be granted
-- on procedures that exist). CREATE OR REPLACE drops whatever rights an
-- account had before, so a reload leaves exactly the grants below.
--
-- velmora_plugin is the account compiled into the plug-in: it reads the
-- tables its statements name and calls its four procedures (and the one
-- the server runs at every connect), nothing more.
-- It never writes a table, cannot read the call and message logs, and has
-- no rights outside db_amiplugin. Both host forms exist so that the account
-- matches whether the server sees the client as 'localhost' or by address.
--
-- velmora_admin loads data and owns the procedures (they run with its
-- rights). It holds the PROCESS right, so that an operator signed in with it
-- sees every connection (SHOW PROCESSLIST), not only its own.
--
-- NVFreeOrphanSessions is run by the server for every new connection
-- (init_connect), so every account that connects needs EXECUTE on it.

-- Limits of the plug-in's account. No statement of a plug-in runs longer
-- than MAX_STATEMENT_TIME seconds on the server: the longest the plug-in
-- sends (100,000 one-minute bars) takes under a second here, and a ticker
-- the plug-in puts into its statements unescaped cannot make one hold a
-- server thread longer (the driver itself gives up after 15 s). The
-- connections are bounded below the server's max_connections (velmora.cnf),
-- so that operators always get in.
CREATE OR REPLACE USER 'velmora_plugin'@'%'         IDENTIFIED BY 'Vm7plugin2026'
  WITH MAX_USER_CONNECTIONS 18900 MAX_STATEMENT_TIME 5;
CREATE OR REPLACE USER 'velmora_plugin'@'localhost' IDENTIFIED BY 'Vm7plugin2026'
  WITH MAX_USER_CONNECTIONS 18900 MAX_STATEMENT_TIME 5;
CREATE OR REPLACE USER 'velmora_admin'@'%'          IDENTIFIED BY 'velmora-admin';
CREATE OR REPLACE USER 'velmora_admin'@'localhost'  IDENTIFIED BY 'velmora-admin';

GRANT ALL PRIVILEGES ON db_amiplugin.* TO 'velmora_admin'@'%';
GRANT ALL PRIVILEGES ON db_amiplugin.* TO 'velmora_admin'@'localhost';
-- LOAD DATA LOCAL INFILE needs no FILE right; PROCESS is the one global right.
GRANT PROCESS ON *.* TO 'velmora_admin'@'%', 'velmora_admin'@'localhost';

GRANT SELECT ON db_amiplugin.NVConfig         TO 'velmora_plugin'@'%', 'velmora_plugin'@'localhost';
GRANT SELECT ON db_amiplugin.NVSession        TO 'velmora_plugin'@'%', 'velmora_plugin'@'localhost';
GRANT SELECT ON db_amiplugin.NVMarket         TO 'velmora_plugin'@'%', 'velmora_plugin'@'localhost';
GRANT SELECT ON db_amiplugin.NVEod            TO 'velmora_plugin'@'%', 'velmora_plugin'@'localhost';
GRANT SELECT ON db_amiplugin.NVIntraday       TO 'velmora_plugin'@'%', 'velmora_plugin'@'localhost';
GRANT SELECT ON db_amiplugin.NVRealtime       TO 'velmora_plugin'@'%', 'velmora_plugin'@'localhost';
GRANT SELECT ON db_amiplugin.nvquotes_235     TO 'velmora_plugin'@'%', 'velmora_plugin'@'localhost';
GRANT SELECT ON db_amiplugin.nvcategory_group TO 'velmora_plugin'@'%', 'velmora_plugin'@'localhost';
GRANT SELECT ON db_amiplugin.NVSectors        TO 'velmora_plugin'@'%', 'velmora_plugin'@'localhost';

GRANT EXECUTE ON PROCEDURE db_amiplugin.Plugin223_Register   TO 'velmora_plugin'@'%', 'velmora_plugin'@'localhost';
GRANT EXECUTE ON PROCEDURE db_amiplugin.Plugin223_Log        TO 'velmora_plugin'@'%', 'velmora_plugin'@'localhost';
GRANT EXECUTE ON PROCEDURE db_amiplugin.Plugin223_ConnId     TO 'velmora_plugin'@'%', 'velmora_plugin'@'localhost';
GRANT EXECUTE ON PROCEDURE db_amiplugin.Plugin223_Disconnect TO 'velmora_plugin'@'%', 'velmora_plugin'@'localhost';
GRANT EXECUTE ON PROCEDURE db_amiplugin.NVFreeOrphanSessions TO 'velmora_plugin'@'%', 'velmora_plugin'@'localhost';

FLUSH PRIVILEGES;
