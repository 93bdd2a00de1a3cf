-- Step 1 of the file register's schema (PRAGMA user_version 0 -> 1): the change feed.
-- The program runs it in the transaction that opens a writable db.mdb of version 0; nothing
-- else in the file changes.
--
-- Every insert, update and delete of a bag, by this program or any other tool, adds one row
-- to "ClientsFeed" in the same transaction: a number that grows by one with each change (a
-- file has one writer at a time, so the numbers are drawn in commit order and a rolled-back
-- change gives its number back), the bag's key and the kind of change. A desk that has taken
-- every change up to number N re-reads only the bags of the rows after N.
--
-- The feed keeps the last 100 000 changes: every 1000th change drops the older rows. A desk
-- that finds the numbers after its own no longer continuous (dropped, or removed by hand)
-- re-reads the whole register instead.
CREATE TABLE "ClientsFeed" (
  "Seq"  INTEGER PRIMARY KEY AUTOINCREMENT,
  "ID"   INTEGER NOT NULL,
  "Kind" TEXT NOT NULL CHECK ("Kind" IN ('INSERT', 'UPDATE', 'DELETE'))
);

CREATE TRIGGER "clients_feed_insert" AFTER INSERT ON "Clients" BEGIN
  INSERT INTO "ClientsFeed" ("ID", "Kind") VALUES (NEW.rowid, 'INSERT');
END;

-- A bag whose key moved is gone under its old key and new under the new one.
CREATE TRIGGER "clients_feed_update" AFTER UPDATE ON "Clients" BEGIN
  INSERT INTO "ClientsFeed" ("ID", "Kind") SELECT OLD.rowid, 'DELETE' WHERE OLD.rowid <> NEW.rowid;
  INSERT INTO "ClientsFeed" ("ID", "Kind")
    VALUES (NEW.rowid, CASE WHEN OLD.rowid = NEW.rowid THEN 'UPDATE' ELSE 'INSERT' END);
END;

CREATE TRIGGER "clients_feed_delete" AFTER DELETE ON "Clients" BEGIN
  INSERT INTO "ClientsFeed" ("ID", "Kind") VALUES (OLD.rowid, 'DELETE');
END;

CREATE TRIGGER "clients_feed_prune" AFTER INSERT ON "ClientsFeed" WHEN NEW."Seq" % 1000 = 0 BEGIN
  DELETE FROM "ClientsFeed" WHERE "Seq" <= NEW."Seq" - 100000;
END;
