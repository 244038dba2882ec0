-- Velmora data server: the procedures that plug-ins call.
--
-- Loaded after schema.sql and accounts.sql. Each procedure runs with its
-- definer's rights (the admin account), so the plug-in's account needs only
-- EXECUTE on it and never touches the tables it writes.
--
-- Every call appends one row to NVCallLog: the procedure's name and its
-- arguments written as they would stand in the call, texts quoted and
-- escaped so that each logged call stays on one line.

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

-- Session registration, sent after every session check. A count of 0 means
-- the check was accepted: the session is then held by the installation's
-- current connection number. A refused check only leaves its trace here.
DROP PROCEDURE IF EXISTS Plugin223_Register //
CREATE DEFINER = 'velmora_admin'@'localhost' PROCEDURE Plugin223_Register(
    IN p_client TEXT,
    IN p_email TEXT,
    IN p_version TEXT,
    IN p_bits TEXT,
    IN p_seq INT)
  MODIFIES SQL DATA SQL SECURITY DEFINER
BEGIN
  INSERT INTO NVCallLog (CalledAt, ProcName, Args)
  VALUES (NOW(6), 'Plugin223_Register',
          CONCAT_WS(',', NVQuoteArg(p_client), NVQuoteArg(p_email),
                    NVQuoteArg(p_version), NVQuoteArg(p_bits), NVNumArg(p_seq)));
  IF p_seq = 0 THEN
    UPDATE NVSession SET LastConnID = CurrConnID
     WHERE ClientID = p_client AND Permit <> 0;
  END IF;
END //

-- A message for the server's log (a refused session, an error in the check).
DROP PROCEDURE IF EXISTS Plugin223_Log //
CREATE DEFINER = 'velmora_admin'@'localhost' PROCEDURE Plugin223_Log(
    IN p_client TEXT,
    IN p_email TEXT,
    IN p_message TEXT)
  MODIFIES SQL DATA SQL SECURITY DEFINER
BEGIN
  INSERT INTO NVCallLog (CalledAt, ProcName, Args)
  VALUES (NOW(6), 'Plugin223_Log',
          CONCAT_WS(',', NVQuoteArg(p_client), NVQuoteArg(p_email),
                    NVQuoteArg(p_message)));
  INSERT INTO NVMessageLog (LoggedAt, ClientID, Email, Message)
  VALUES (NOW(6), LEFT(IFNULL(p_client, ''), 128), LEFT(IFNULL(p_email, ''), 255),
          IFNULL(p_message, ''));
END //

-- The status poll saw two different connection numbers and has taken the
-- second as its own: the session is now held by that number.
DROP PROCEDURE IF EXISTS Plugin223_ConnId //
CREATE DEFINER = 'velmora_admin'@'localhost' PROCEDURE Plugin223_ConnId(
    IN p_client TEXT,
    IN p_email TEXT,
    IN p_prev INT,
    IN p_curr INT,
    IN p_interval INT)
  MODIFIES SQL DATA SQL SECURITY DEFINER
BEGIN
  INSERT INTO NVCallLog (CalledAt, ProcName, Args)
  VALUES (NOW(6), 'Plugin223_ConnId',
          CONCAT_WS(',', NVQuoteArg(p_client), NVQuoteArg(p_email),
                    NVNumArg(p_prev), NVNumArg(p_curr), NVNumArg(p_interval)));
  UPDATE NVSession SET LastConnID = p_curr WHERE ClientID = p_client;
END //

-- The plug-in disconnects: the session is free again.
DROP PROCEDURE IF EXISTS Plugin223_Disconnect //
CREATE DEFINER = 'velmora_admin'@'localhost' PROCEDURE Plugin223_Disconnect(
    IN p_client TEXT,
    IN p_email TEXT,
    IN p_status INT)
  MODIFIES SQL DATA SQL SECURITY DEFINER
BEGIN
  INSERT INTO NVCallLog (CalledAt, ProcName, Args)
  VALUES (NOW(6), 'Plugin223_Disconnect',
          CONCAT_WS(',', NVQuoteArg(p_client), NVQuoteArg(p_email),
                    NVNumArg(p_status)));
  UPDATE NVSession SET LastConnID = 0 WHERE ClientID = p_client;
END //

DELIMITER ;
