-- Velmora data server: brings a database loaded by an earlier kit to the
-- current schema, before procedures.sql and accounts.sql are loaded again.
-- Run by scripts/dbserver at every start of a server already loaded; each
-- step does nothing when the schema is current.

USE db_amiplugin;

-- Session owners are told alive by their user-level lock and swept by the
-- address they came from, no longer by their client port.
ALTER TABLE NVSession
  DROP COLUMN IF EXISTS OwnerPort,
  ADD COLUMN IF NOT EXISTS OwnerHost VARCHAR(64) NULL AFTER OwnerConnID,
  ADD KEY IF NOT EXISTS ix_session_owner_host (OwnerHost);

-- A session's owner is a connection on a node: connection numbers are the
-- node's own, so in a cluster the node is part of the owner.
ALTER TABLE NVSession
  ADD COLUMN IF NOT EXISTS OwnerNode VARCHAR(64) NOT NULL DEFAULT '' AFTER OwnerConnID;
