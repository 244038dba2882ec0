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
-- NVSession.OwnerConnID and holds the session's user-level lock
-- (NVSessionLock) for as long as it lasts; the server releases the lock when
-- the connection ends, however it ends. A registration, connection-id report
-- or disconnect arriving on another connection while the owner still holds
-- the lock leaves the record alone: a second copy of the plug-in that was
-- refused must not free the session of the copy that runs. An owner that no
-- longer holds the lock (its host was killed, its network went away) holds
-- nothing: every new connection runs NVFreeOrphanSessions first (the
-- server's init_connect, server/velmora.cnf) for the sessions taken from its
-- address, so the next start finds the session free before its session
-- check reads it; an event frees those of every address every ten seconds.
--
-- Whether an owner lives is one look-up of its lock, whatever the number of
-- connections: the server's list of connections is never read, since
-- reading it costs a moment per connection, and with thousands of plug-ins
-- connected every connect would wait for it.
--
-- In a Galera cluster a connection number is only unique on its node, and a
-- user-level lock is only seen there (locks are not replicated). The owner
-- is therefore a node and a connection on it (NVSession.OwnerNode, the
-- node's client address, NVNode()): only the owner's node can tell by the
-- lock whether the owner lives, so only that node frees its orphans. From
-- any other node an owner lives while its node is a member of the cluster;
-- the sessions of a node that has left (stopped, failed, cut off: its
-- clients can do nothing there) are free, and the first connection from
-- their address, wherever it lands, frees them. Two nodes taking one
-- session at once conflict on its row: Galera refuses the later commit and
-- retries the call (wsrep_retry_autocommit), which then finds the session
-- owned.

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

-- This server as a session's owner node: its client address in a cluster
-- (each node sets wsrep_node_incoming_address), '' on a server of its own.
DROP FUNCTION IF EXISTS NVNode //
CREATE DEFINER = 'velmora_admin'@'localhost' FUNCTION NVNode()
  RETURNS VARCHAR(64) CHARACTER SET utf8mb4
  NOT DETERMINISTIC NO SQL SQL SECURITY DEFINER
BEGIN
  RETURN IF(@@global.wsrep_on, @@global.wsrep_node_incoming_address, '');
END //

-- The client addresses of the cluster's members, comma-separated ('' on a
-- server of its own): an owner node not among them has left.
DROP FUNCTION IF EXISTS NVClusterNodes //
CREATE DEFINER = 'velmora_admin'@'localhost' FUNCTION NVClusterNodes()
  RETURNS TEXT CHARACTER SET utf8mb4
  NOT DETERMINISTIC READS SQL DATA SQL SECURITY DEFINER
BEGIN
  IF NOT @@global.wsrep_on THEN
    RETURN '';
  END IF;
  RETURN IFNULL((SELECT VARIABLE_VALUE FROM information_schema.GLOBAL_STATUS
                  WHERE VARIABLE_NAME = 'WSREP_INCOMING_ADDRESSES'), '');
END //

-- Whether the owner (node, connection) of a session is gone, as this node
-- can tell: its own connections by their lock, another node's by that
-- node's membership (p_members: NVClusterNodes(), read once by the caller).
DROP FUNCTION IF EXISTS NVOwnerGone //
CREATE DEFINER = 'velmora_admin'@'localhost' FUNCTION NVOwnerGone(
    p_client TEXT, p_node VARCHAR(64), p_owner BIGINT UNSIGNED, p_members TEXT)
  RETURNS INT
  NOT DETERMINISTIC NO SQL SQL SECURITY DEFINER
BEGIN
  IF p_node = NVNode() THEN
    RETURN NOT IS_USED_LOCK(NVSessionLock(p_client)) <=> p_owner;
  END IF;
  RETURN FIND_IN_SET(p_node, p_members) = 0;
END //

-- The name of the user-level lock that the owner of a session holds (a
-- lock name is at most 64 characters; a client id may be longer).
DROP FUNCTION IF EXISTS NVConnPort //
DROP FUNCTION IF EXISTS NVSessionLock //
CREATE DEFINER = 'velmora_admin'@'localhost' FUNCTION NVSessionLock(p_client TEXT)
  RETURNS VARCHAR(64) CHARACTER SET utf8mb4
  DETERMINISTIC NO SQL SQL SECURITY DEFINER
BEGIN
  RETURN CONCAT('velmora-session:', MD5(p_client));
END //

-- The connection that owns a session when that is a live connection other
-- than the caller's; NULL when the caller may take or give up the session.
-- An owner lives while it holds the session's lock (on another node: while
-- that node is in the cluster). A number set by hand
-- (LastConnID <> 0 without an owner) counts as held by somebody else for
-- giving it up, but not for taking it: the plug-in only registers after its
-- check accepted that number as its own.
DROP FUNCTION IF EXISTS NVOtherOwner //
CREATE DEFINER = 'velmora_admin'@'localhost' FUNCTION NVOtherOwner(
    p_last INT, p_node VARCHAR(64), p_owner BIGINT UNSIGNED, p_client TEXT, p_taking INT)
  RETURNS BIGINT UNSIGNED
  NOT DETERMINISTIC READS SQL DATA SQL SECURITY DEFINER
BEGIN
  IF p_last = 0 THEN
    RETURN NULL;
  END IF;
  IF p_owner IS NULL THEN
    RETURN IF(p_taking, NULL, 0);
  END IF;
  IF p_node <> NVNode() THEN
    RETURN IF(NVOwnerGone(p_client, p_node, p_owner, NVClusterNodes()), NULL, p_owner);
  END IF;
  IF p_owner <> CONNECTION_ID() AND IS_USED_LOCK(NVSessionLock(p_client)) <=> p_owner THEN
    RETURN p_owner;
  END IF;
  RETURN NULL;
END //

-- Takes the session for the caller's connection: its lock first, so that
-- of two copies taking it at the same moment only one can; then the record,
-- unless another live connection owns it. `p_last` NULL: LastConnID :=
-- CurrConnID (a registration); else that number (a connection-id report).
-- Returns the note to log ('' when taken).
DROP PROCEDURE IF EXISTS NVTakeSession //
CREATE DEFINER = 'velmora_admin'@'localhost' PROCEDURE NVTakeSession(
    IN p_client TEXT, IN p_last INT, IN p_need_permit INT, OUT p_note VARCHAR(255))
  MODIFIES SQL DATA SQL SECURITY DEFINER
BEGIN
  DECLARE v_lock VARCHAR(64) DEFAULT NVSessionLock(p_client);
  DECLARE v_mine INT DEFAULT IS_USED_LOCK(v_lock) <=> CONNECTION_ID();
  SET p_note = '';
  IF IFNULL(p_last, (SELECT CurrConnID FROM NVSession WHERE ClientID = p_client)) = 0 THEN
    -- Granted number 0: session control is off for this client id. Nothing
    -- is held, so any number of copies run at once; a session still held
    -- under an earlier number is given up as a disconnect gives it up.
    UPDATE NVSession SET LastConnID = 0, OwnerConnID = NULL, OwnerNode = '', OwnerHost = NULL
     WHERE ClientID = p_client AND NVOtherOwner(LastConnID, OwnerNode, OwnerConnID, ClientID, 0) IS NULL;
    IF v_mine THEN
      DO RELEASE_LOCK(v_lock);
    END IF;
  ELSE
    IF NOT v_mine THEN
      SET v_mine = IFNULL(GET_LOCK(v_lock, 0), 0);
    END IF;
    IF v_mine THEN
      UPDATE NVSession
         SET LastConnID = IFNULL(p_last, CurrConnID), OwnerConnID = CONNECTION_ID(),
             OwnerNode = NVNode(), OwnerHost = SUBSTRING_INDEX(USER(), '@', -1)
       WHERE ClientID = p_client AND (Permit <> 0 OR NOT p_need_permit)
         AND NVOtherOwner(LastConnID, OwnerNode, OwnerConnID, ClientID, 1) IS NULL;
    END IF;
    IF NOT v_mine OR ROW_COUNT() = 0 THEN
      SET p_note = NVNotOwnerNote(p_client, 1);
      IF v_mine AND NOT EXISTS (SELECT 1 FROM NVSession WHERE ClientID = p_client
                                   AND OwnerConnID = CONNECTION_ID() AND OwnerNode = NVNode()
                                   AND LastConnID <> 0) THEN
        DO RELEASE_LOCK(v_lock);
      END IF;
    END IF;
  END IF;
END //

-- The note logged with a call that another connection's session refused.
DROP FUNCTION IF EXISTS NVNotOwnerNote //
CREATE DEFINER = 'velmora_admin'@'localhost' FUNCTION NVNotOwnerNote(p_client TEXT, p_taking INT)
  RETURNS VARCHAR(255) CHARACTER SET utf8mb4
  NOT DETERMINISTIC READS SQL DATA SQL SECURITY DEFINER
BEGIN
  DECLARE v_owner BIGINT UNSIGNED DEFAULT NULL;
  DECLARE v_last INT DEFAULT 0;
  DECLARE v_node VARCHAR(64) DEFAULT '';
  SELECT NVOtherOwner(LastConnID, OwnerNode, OwnerConnID, ClientID, p_taking), LastConnID, OwnerNode
    INTO v_owner, v_last, v_node
    FROM NVSession WHERE ClientID = p_client;
  IF v_owner IS NULL AND p_taking
     AND NOT IS_USED_LOCK(NVSessionLock(p_client)) <=> CONNECTION_ID() THEN
    -- Free, yet not taken: another copy holds the lock and is taking it.
    SET v_owner = IS_USED_LOCK(NVSessionLock(p_client));
    SET v_node = NVNode();
  END IF;
  IF v_owner IS NULL THEN
    RETURN '';
  END IF;
  IF v_owner = 0 THEN
    RETURN CONCAT('not carried out: connection ', CONNECTION_ID(),
                  ' does not own the session (LastConnID ', v_last, ' was set by hand)');
  END IF;
  RETURN CONCAT('not carried out: connection ', CONNECTION_ID(),
                ' does not own the session, connection ', v_owner,
                IF(v_node <> NVNode(), CONCAT(' on node ', v_node), ''), ' does');
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
    CALL NVTakeSession(p_client, NULL, 1, v_note);
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
  CALL NVTakeSession(p_client, p_curr, 0, v_note);
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
  UPDATE NVSession SET LastConnID = 0, OwnerConnID = NULL, OwnerNode = '', OwnerHost = NULL
   WHERE ClientID = p_client
     AND NVOtherOwner(LastConnID, OwnerNode, OwnerConnID, ClientID, 0) IS NULL;
  IF IS_USED_LOCK(NVSessionLock(p_client)) <=> CONNECTION_ID() THEN
    DO RELEASE_LOCK(NVSessionLock(p_client));
  END IF;
  CALL NVLogCall('Plugin223_Disconnect',
                 CONCAT_WS(',', NVQuoteArg(p_client), NVQuoteArg(p_email),
                           NVNumArg(p_status)),
                 v_note);
END //

-- Frees one session whose owner was found gone, if it still has that owner
-- and the owner is still gone, and logs it.
DROP PROCEDURE IF EXISTS NVFreeSession //
CREATE DEFINER = 'velmora_admin'@'localhost' PROCEDURE NVFreeSession(
    IN p_client VARCHAR(128), IN p_node VARCHAR(64), IN p_owner BIGINT UNSIGNED, IN p_members TEXT)
  MODIFIES SQL DATA SQL SECURITY DEFINER
BEGIN
  UPDATE NVSession SET LastConnID = 0, OwnerConnID = NULL, OwnerNode = '', OwnerHost = NULL
   WHERE ClientID = p_client AND LastConnID <> 0 AND OwnerConnID = p_owner
     AND OwnerNode = p_node AND NVOwnerGone(p_client, p_node, p_owner, p_members);
  IF ROW_COUNT() > 0 THEN
    INSERT INTO NVCallLog (CalledAt, ProcName, Args, ConnID, Note)
    VALUES (NOW(6), 'NVFreeOrphanSessions', NVQuoteArg(p_client), CONNECTION_ID(),
            CONCAT('session freed: connection ', p_owner,
                   IF(p_node = NVNode(), ', its owner, is gone',
                      CONCAT(' on node ', p_node, ', its owner, left the cluster'))));
  END IF;
END //

-- Run by the server for every new client connection (init_connect): frees
-- the sessions taken from the connecting client's address whose owner no
-- longer holds the session's lock, so that the next start of a plug-in
-- whose host died finds its session free at once. A plug-in that comes back
-- from another address finds it free within ten seconds, when
-- NVFreeAllOrphanSessions has run. Only the sessions of one address are
-- looked at (through their index), so that a connect costs the same however
-- many plug-ins are connected. Must never keep a client from connecting, so
-- errors are swallowed.
DROP PROCEDURE IF EXISTS NVFreeOrphanSessions //
CREATE DEFINER = 'velmora_admin'@'localhost' PROCEDURE NVFreeOrphanSessions()
  MODIFIES SQL DATA SQL SECURITY DEFINER
BEGIN
  DECLARE v_done INT DEFAULT 0;
  DECLARE v_client VARCHAR(128) CHARACTER SET utf8mb4 COLLATE utf8mb4_bin;
  DECLARE v_owner BIGINT UNSIGNED;
  DECLARE v_node VARCHAR(64) CHARACTER SET utf8mb4;
  DECLARE v_members TEXT CHARACTER SET utf8mb4 DEFAULT NVClusterNodes();
  DECLARE v_self VARCHAR(64) CHARACTER SET utf8mb4 DEFAULT NVNode();
  DECLARE orphans CURSOR FOR
    SELECT ClientID, OwnerNode, OwnerConnID FROM NVSession
     WHERE OwnerHost = SUBSTRING_INDEX(USER(), '@', -1) AND LastConnID <> 0 AND OwnerConnID IS NOT NULL
       AND IF(OwnerNode = v_self,
              NOT IS_USED_LOCK(CONCAT('velmora-session:', MD5(ClientID))) <=> OwnerConnID,
              FIND_IN_SET(OwnerNode, v_members) = 0);
  DECLARE CONTINUE HANDLER FOR NOT FOUND SET v_done = 1;
  DECLARE EXIT HANDLER FOR SQLEXCEPTION BEGIN END;
  OPEN orphans;
  fetch_loop: LOOP
    FETCH orphans INTO v_client, v_node, v_owner;
    IF v_done THEN
      LEAVE fetch_loop;
    END IF;
    CALL NVFreeSession(v_client, v_node, v_owner, v_members);
  END LOOP;
  CLOSE orphans;
END //

-- Every held session whose owner is gone, from any address: run by the
-- server every ten seconds (the event below).
DROP PROCEDURE IF EXISTS NVFreeAllOrphanSessions //
CREATE DEFINER = 'velmora_admin'@'localhost' PROCEDURE NVFreeAllOrphanSessions()
  MODIFIES SQL DATA SQL SECURITY DEFINER
BEGIN
  DECLARE v_done INT DEFAULT 0;
  DECLARE v_client VARCHAR(128) CHARACTER SET utf8mb4 COLLATE utf8mb4_bin;
  DECLARE v_owner BIGINT UNSIGNED;
  DECLARE v_node VARCHAR(64) CHARACTER SET utf8mb4;
  DECLARE v_members TEXT CHARACTER SET utf8mb4 DEFAULT NVClusterNodes();
  DECLARE v_self VARCHAR(64) CHARACTER SET utf8mb4 DEFAULT NVNode();
  DECLARE orphans CURSOR FOR
    SELECT ClientID, OwnerNode, OwnerConnID FROM NVSession
     WHERE OwnerConnID IS NOT NULL AND LastConnID <> 0
       AND IF(OwnerNode = v_self,
              NOT IS_USED_LOCK(CONCAT('velmora-session:', MD5(ClientID))) <=> OwnerConnID,
              FIND_IN_SET(OwnerNode, v_members) = 0);
  DECLARE CONTINUE HANDLER FOR NOT FOUND SET v_done = 1;
  OPEN orphans;
  fetch_loop: LOOP
    FETCH orphans INTO v_client, v_node, v_owner;
    IF v_done THEN
      LEAVE fetch_loop;
    END IF;
    CALL NVFreeSession(v_client, v_node, v_owner, v_members);
  END LOOP;
  CLOSE orphans;
END //

DROP EVENT IF EXISTS NVSweepOrphanSessions //
CREATE DEFINER = 'velmora_admin'@'localhost' EVENT NVSweepOrphanSessions
  ON SCHEDULE EVERY 10 SECOND
  DO CALL NVFreeAllOrphanSessions() //

DELIMITER ;
