-- Step 1 of the server register's schema (version 0 -> 1): the change feed. Run through
-- upgrade-postgresql.sql.
--
-- Every insert, update and delete of a bag, by a desk or any other client, adds one row to
-- "ClientsFeed" in the same transaction: a growing number, the bag's key, the kind of change
-- and the writing transaction. The notification on "clients_changed" carries the number.
--
-- How a desk reads it without skipping a change or waiting for one that never comes: numbers
-- are drawn when a row is written, not when its transaction commits, so a transaction holding
-- a lower number may commit after a higher one was read, and a rolled-back one leaves a hole
-- for ever. A desk therefore does not follow the numbers but the transactions: each read of
-- the feed also returns the xmin of the read's own snapshot, below which every transaction has
-- ended; the next read asks for the rows of transactions at or above it, and leaves out the
-- numbers it has already taken. A row below the xmin was visible to that read if it was ever
-- committed; a row at or above it is asked for again until its transaction is below.
--
-- Every 1000th change drops the rows of transactions older than the one 100 000 changes back
-- (never of one still running) and records the boundary in "ClientsFeedState"; a desk whose
-- xmin is below the boundary may have missed rows and re-reads the whole register instead.
-- The trigger runs with its owner's rights, so a desk may read the feed but never write it.
BEGIN;

DO $$
DECLARE
  version integer := (SELECT "Version" FROM "ClientsSchema" FOR UPDATE);
BEGIN
  IF version <> 0 THEN
    RAISE EXCEPTION 'upgrade step 1 takes a register of version 0; this one is at version %',
      version;
  END IF;
END
$$;

CREATE TABLE "ClientsFeed" (
  "Seq"  bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY,
  "ID"   integer NOT NULL,
  "Kind" text NOT NULL CHECK ("Kind" IN ('INSERT', 'UPDATE', 'DELETE')),
  "Xid"  xid8 NOT NULL DEFAULT pg_current_xact_id()
);
CREATE INDEX "ClientsFeed_Xid" ON "ClientsFeed" ("Xid");

CREATE TABLE "ClientsFeedState" (
  "PrunedBelow" xid8 NOT NULL,
  "One"         boolean PRIMARY KEY DEFAULT true CHECK ("One")
);
INSERT INTO "ClientsFeedState" ("PrunedBelow") VALUES ('0');

DROP TRIGGER clients_notify_change ON "Clients";
DROP FUNCTION clients_notify_change();

CREATE FUNCTION clients_feed() RETURNS trigger LANGUAGE plpgsql SECURITY DEFINER
  SET search_path FROM CURRENT AS $$
DECLARE
  number bigint;
  boundary xid8;
BEGIN
  -- A bag whose key moved is gone under its old key and new under the new one.
  IF TG_OP = 'DELETE' OR (TG_OP = 'UPDATE' AND OLD."ID" <> NEW."ID") THEN
    INSERT INTO "ClientsFeed" ("ID", "Kind") VALUES (OLD."ID", 'DELETE') RETURNING "Seq" INTO number;
  END IF;
  IF TG_OP <> 'DELETE' THEN
    INSERT INTO "ClientsFeed" ("ID", "Kind")
      VALUES (NEW."ID", CASE WHEN TG_OP = 'UPDATE' AND OLD."ID" = NEW."ID" THEN 'UPDATE' ELSE 'INSERT' END)
      RETURNING "Seq" INTO number;
  END IF;
  PERFORM pg_notify('clients_changed', number::text);
  IF number % 1000 = 0 THEN
    SELECT "Xid" INTO boundary FROM "ClientsFeed" WHERE "Seq" <= number - 100000
      ORDER BY "Seq" DESC LIMIT 1;
    IF boundary IS NOT NULL THEN
      boundary := least(boundary, pg_snapshot_xmin(pg_current_snapshot()));
      DELETE FROM "ClientsFeed" WHERE "Xid" < boundary;
      UPDATE "ClientsFeedState" SET "PrunedBelow" = greatest("PrunedBelow", boundary);
    END IF;
  END IF;
  RETURN NULL;
END
$$;

CREATE TRIGGER clients_feed AFTER INSERT OR UPDATE OR DELETE ON "Clients"
  FOR EACH ROW EXECUTE FUNCTION clients_feed();

-- A table emptied at once (TRUNCATE) records no rows: every desk that read before it commits
-- is sent to read the whole register again, as after dropped rows.
CREATE FUNCTION clients_feed_truncated() RETURNS trigger LANGUAGE plpgsql SECURITY DEFINER
  SET search_path FROM CURRENT AS $$
BEGIN
  UPDATE "ClientsFeedState"
    SET "PrunedBelow" = greatest("PrunedBelow", (pg_current_xact_id()::text::numeric + 1)::text::xid8);
  PERFORM pg_notify('clients_changed', 'TRUNCATE');
  RETURN NULL;
END
$$;

CREATE TRIGGER clients_feed_truncated AFTER TRUNCATE ON "Clients"
  FOR EACH STATEMENT EXECUTE FUNCTION clients_feed_truncated();

GRANT SELECT ON "ClientsFeed", "ClientsFeedState" TO inkassatsiya_desk;

UPDATE "ClientsSchema" SET "Version" = 1;

COMMIT;
