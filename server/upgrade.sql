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
