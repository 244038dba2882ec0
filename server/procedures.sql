-- Velmora data server: the procedures that plug-ins call.
--
-- Loaded after schema.sql and accounts.sql. Each procedure runs with its
-- definer's rights (the admin account), so the plug-in's account needs only
-- EXECUTE on it and never touches the tables it writes.
--
-- Every call appends one row to NVCallLog: the procedure's name and its
-- arguments written as they would stand in the call, texts quoted and
-- escaped so that each logged call stays on one line, the caller's server
-- connection, and a note when the call was not carried out.
--
-- Sessions are owned by server connections. The connection whose
-- registration (or connection-id report) takes a session is recorded in
-- NVSession.OwnerConnID/OwnerPort. A registration, connection-id report or
-- disconnect arriving on another connection while the owner still exists
-- leaves the record alone: a second copy of the plug-in that was refused
-- must not free the session of the copy that runs. An owner that no longer
-- exists (its host was killed, its network went away) holds nothing: every
-- new connection runs NVFreeOrphanSessions first (the server's init_connect,
-- set by scripts/dbserver), so the next start finds the session free before
-- its session check reads it.
--
-- Only an account with the PROCESS right sees other accounts' connections,
-- so the liveness test runs with the definer's (the admin account's) rights;
-- the plug-in's account sees nothing but its own connections.

USE db_amiplugin;

DELIMITER //

DROP FUNCTION IF EXISTS NVQuoteArg //
CREATE DEFINER = 'velmora_admin'@'localhost' FUNCTION NVQuoteArg(p_text TEXT)
  RETURNS TEXT CHARACTER SET utf8mb4
  DETERMINISTIC NO SQL SQL SECURITY DEFINER
BEGIN
  IF p_text IS NULL THEN
    RETURN 'NULL';
  END IF;
  RETURN CONCAT('''',
    REPLACE(REPLACE(REPLACE(REPLACE(p_text,
      '\\', '\\\\'), '''', '\\'''), '\n', '\\n'), '\r', '\\r'),
    '''');
END //

DROP FUNCTION IF EXISTS NVNumArg //
CREATE DEFINER = 'velmora_admin'@'localhost' FUNCTION NVNumArg(p_num BIGINT)
  RETURNS TEXT CHARACTER SET utf8mb4
  DETERMINISTIC NO SQL SQL SECURITY DEFINER
BEGIN
  RETURN IFNULL(CAST(p_num AS CHAR), 'NULL');
END //

-- The client port of a server connection ('40312' of '127.0.0.1:40312'),
-- NULL when no such connection exists. The port is kept with the connection
-- id so that an id handed out again after a server restart is not mistaken
-- for the connection that took the session. Only the port: inside these
-- procedures the caller's own row shows the definer's host name in front
-- of it. A socket connection has no port and gives 'localhost'.
DROP FUNCTION IF EXISTS NVConnPort //
CREATE DEFINER = 'velmora_admin'@'localhost' FUNCTION NVConnPort(p_conn BIGINT UNSIGNED)
  RETURNS VARCHAR(64) CHARACTER SET utf8mb4
  NOT DETERMINISTIC READS SQL DATA SQL SECURITY DEFINER
BEGIN
  RETURN (SELECT SUBSTRING_INDEX(HOST, ':', -1) FROM information_schema.PROCESSLIST
           WHERE ID = p_conn AND COMMAND <> 'Killed' LIMIT 1);
END //

-- The connection that owns a session when that is a live connection other
-- than the caller's; NULL when the caller may take or give up the session.
-- A number set by hand (LastConnID <> 0 without an owner) counts as held by
-- somebody else for giving it up, but not for taking it: the plug-in only
-- registers after its check accepted that number as its own.
DROP FUNCTION IF EXISTS NVOtherOwner //
CREATE DEFINER = 'velmora_admin'@'localhost' FUNCTION NVOtherOwner(
    p_last INT, p_owner BIGINT UNSIGNED, p_port VARCHAR(64), p_taking INT)
  RETURNS BIGINT UNSIGNED
  NOT DETERMINISTIC READS SQL DATA SQL SECURITY DEFINER
BEGIN
  IF p_last = 0 THEN
    RETURN NULL;
  END IF;
  IF p_owner IS NULL THEN
    RETURN IF(p_taking, NULL, 0);
  END IF;
  IF p_owner <> CONNECTION_ID() AND NVConnPort(p_owner) <=> p_port THEN
    RETURN p_owner;
  END IF;
  RETURN NULL;
END //

-- The note logged with a call that another connection's session refused.
DROP FUNCTION IF EXISTS NVNotOwnerNote //
CREATE DEFINER = 'velmora_admin'@'localhost' FUNCTION NVNotOwnerNote(p_client TEXT, p_taking INT)
  RETURNS VARCHAR(255) CHARACTER SET utf8mb4
  NOT DETERMINISTIC READS SQL DATA SQL SECURITY DEFINER
BEGIN
  DECLARE v_owner BIGINT UNSIGNED DEFAULT NULL;
  DECLARE v_last INT DEFAULT 0;
  SELECT NVOtherOwner(LastConnID, OwnerConnID, OwnerPort, p_taking), LastConnID
    INTO v_owner, v_last
    FROM NVSession WHERE ClientID = p_client;
  IF v_owner IS NULL THEN
    RETURN '';
  END IF;
  IF v_owner = 0 THEN
    RETURN CONCAT('not carried out: connection ', CONNECTION_ID(),
                  ' does not own the session (LastConnID ', v_last, ' was set by hand)');
  END IF;
  RETURN CONCAT('not carried out: connection ', CONNECTION_ID(),
                ' does not own the session, connection ', v_owner, ' does');
END //

DROP PROCEDURE IF EXISTS NVLogCall //
CREATE DEFINER = 'velmora_admin'@'localhost' PROCEDURE NVLogCall(
    IN p_name VARCHAR(64), IN p_args TEXT, IN p_note VARCHAR(255))
  MODIFIES SQL DATA SQL SECURITY DEFINER
BEGIN
  INSERT INTO NVCallLog (CalledAt, ProcName, Args, ConnID, Note)
  VALUES (NOW(6), p_name, p_args, CONNECTION_ID(), IFNULL(p_note, ''));
END //

-- Session registration, sent after every session check. A count of 0 means
-- the check was accepted: the session is then held by the installation's
-- current connection number, and owned by the caller's connection, unless
-- another live connection owns it. A refused check only leaves its trace
-- here.
DROP PROCEDURE IF EXISTS Plugin223_Register //
CREATE DEFINER = 'velmora_admin'@'localhost' PROCEDURE Plugin223_Register(
    IN p_client TEXT,
    IN p_email TEXT,
    IN p_version TEXT,
    IN p_bits TEXT,
    IN p_seq INT)
  MODIFIES SQL DATA SQL SECURITY DEFINER
BEGIN
  DECLARE v_note VARCHAR(255) DEFAULT '';
  IF p_seq = 0 THEN
    -- One statement tests and takes, so that two copies registering at the
    -- same moment cannot both take the session.
    UPDATE NVSession
       SET LastConnID = CurrConnID, OwnerConnID = CONNECTION_ID(),
           OwnerPort = NVConnPort(CONNECTION_ID())
     WHERE ClientID = p_client AND Permit <> 0
       AND NVOtherOwner(LastConnID, OwnerConnID, OwnerPort, 1) IS NULL;
    IF ROW_COUNT() = 0 THEN
      SET v_note = NVNotOwnerNote(p_client, 1);
    END IF;
  END IF;
  CALL NVLogCall('Plugin223_Register',
                 CONCAT_WS(',', NVQuoteArg(p_client), NVQuoteArg(p_email),
                           NVQuoteArg(p_version), NVQuoteArg(p_bits), NVNumArg(p_seq)),
                 v_note);
END //

-- A message for the server's log (a refused session, an error in the check).
DROP PROCEDURE IF EXISTS Plugin223_Log //
CREATE DEFINER = 'velmora_admin'@'localhost' PROCEDURE Plugin223_Log(
    IN p_client TEXT,
    IN p_email TEXT,
    IN p_message TEXT)
  MODIFIES SQL DATA SQL SECURITY DEFINER
BEGIN
  CALL NVLogCall('Plugin223_Log',
                 CONCAT_WS(',', NVQuoteArg(p_client), NVQuoteArg(p_email),
                           NVQuoteArg(p_message)), '');
  INSERT INTO NVMessageLog (LoggedAt, ClientID, Email, Message)
  VALUES (NOW(6), LEFT(IFNULL(p_client, ''), 128), LEFT(IFNULL(p_email, ''), 255),
          IFNULL(p_message, ''));
END //

-- The status poll saw two different connection numbers and has taken the
-- second as its own: the session is now held by that number, and owned by
-- the caller's connection (a plug-in whose connection was replaced claims
-- its session back this way), unless another live connection owns it.
DROP PROCEDURE IF EXISTS Plugin223_ConnId //
CREATE DEFINER = 'velmora_admin'@'localhost' PROCEDURE Plugin223_ConnId(
    IN p_client TEXT,
    IN p_email TEXT,
    IN p_prev INT,
    IN p_curr INT,
    IN p_interval INT)
  MODIFIES SQL DATA SQL SECURITY DEFINER
BEGIN
  DECLARE v_note VARCHAR(255) DEFAULT '';
  UPDATE NVSession
     SET LastConnID = p_curr, OwnerConnID = CONNECTION_ID(),
         OwnerPort = NVConnPort(CONNECTION_ID())
   WHERE ClientID = p_client
     AND NVOtherOwner(LastConnID, OwnerConnID, OwnerPort, 1) IS NULL;
  IF ROW_COUNT() = 0 THEN
    SET v_note = NVNotOwnerNote(p_client, 1);
  END IF;
  CALL NVLogCall('Plugin223_ConnId',
                 CONCAT_WS(',', NVQuoteArg(p_client), NVQuoteArg(p_email),
                           NVNumArg(p_prev), NVNumArg(p_curr), NVNumArg(p_interval)),
                 v_note);
END //

-- The plug-in disconnects: the session is free again, if the caller's
-- connection owns it (or its owner is gone).
DROP PROCEDURE IF EXISTS Plugin223_Disconnect //
CREATE DEFINER = 'velmora_admin'@'localhost' PROCEDURE Plugin223_Disconnect(
    IN p_client TEXT,
    IN p_email TEXT,
    IN p_status INT)
  MODIFIES SQL DATA SQL SECURITY DEFINER
BEGIN
  DECLARE v_note VARCHAR(255) DEFAULT '';
  SET v_note = NVNotOwnerNote(p_client, 0);
  UPDATE NVSession SET LastConnID = 0, OwnerConnID = NULL, OwnerPort = NULL
   WHERE ClientID = p_client
     AND NVOtherOwner(LastConnID, OwnerConnID, OwnerPort, 0) IS NULL;
  CALL NVLogCall('Plugin223_Disconnect',
                 CONCAT_WS(',', NVQuoteArg(p_client), NVQuoteArg(p_email),
                           NVNumArg(p_status)),
                 v_note);
END //

-- Run by the server for every new client connection (init_connect): frees
-- the sessions whose owning connection no longer exists, so that the next
-- start of a plug-in whose host died finds its session free at once. Must
-- never keep a client from connecting, so errors are swallowed. The server's
-- connection list is read once, in one join, however many sessions are held;
-- each session is freed only if it still has the owner that was found gone.
DROP PROCEDURE IF EXISTS NVFreeOrphanSessions //
CREATE DEFINER = 'velmora_admin'@'localhost' PROCEDURE NVFreeOrphanSessions()
  MODIFIES SQL DATA SQL SECURITY DEFINER
BEGIN
  DECLARE v_done INT DEFAULT 0;
  DECLARE v_client VARCHAR(128) CHARACTER SET utf8mb4 COLLATE utf8mb4_bin;
  DECLARE v_owner BIGINT UNSIGNED;
  DECLARE v_port VARCHAR(64) CHARACTER SET utf8mb4;
  DECLARE orphans CURSOR FOR
    SELECT s.ClientID, s.OwnerConnID, s.OwnerPort
      FROM NVSession s
      LEFT JOIN information_schema.PROCESSLIST p
        ON p.ID = s.OwnerConnID AND p.COMMAND <> 'Killed'
     WHERE s.LastConnID <> 0 AND s.OwnerConnID IS NOT NULL
       AND NOT SUBSTRING_INDEX(p.HOST, ':', -1) <=> s.OwnerPort;
  DECLARE CONTINUE HANDLER FOR NOT FOUND SET v_done = 1;
  DECLARE EXIT HANDLER FOR SQLEXCEPTION BEGIN END;
  OPEN orphans;
  fetch_loop: LOOP
    FETCH orphans INTO v_client, v_owner, v_port;
    IF v_done THEN
      LEAVE fetch_loop;
    END IF;
    UPDATE NVSession SET LastConnID = 0, OwnerConnID = NULL, OwnerPort = NULL
     WHERE ClientID = v_client AND LastConnID <> 0
       AND OwnerConnID = v_owner AND OwnerPort <=> v_port;
    IF ROW_COUNT() > 0 THEN
      INSERT INTO NVCallLog (CalledAt, ProcName, Args, ConnID, Note)
      VALUES (NOW(6), 'NVFreeOrphanSessions', NVQuoteArg(v_client), CONNECTION_ID(),
              CONCAT('session freed: connection ', v_owner, ', its owner, is gone'));
    END IF;
  END LOOP;
  CLOSE orphans;
END //

DELIMITER ;
