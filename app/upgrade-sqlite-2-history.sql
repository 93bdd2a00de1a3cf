-- Step 2 of the file register's schema (PRAGMA user_version 1 -> 2): the bags' history.
--
-- Every insert, update and delete of a bag, by this program or any other tool, adds in the
-- same transaction one record to "ClientsHistory": when (UTC), who, the kind of change, the
-- number the change has in the feed, the bag's key, and in "ClientsHistoryFields" the values
-- before and after of every field that changed (each value as the file holds it: a number
-- stays a number, bytes stay bytes). An insert lists the fields it filled, a delete the
-- fields the bag had, an update the fields whose value changed (the key "ID" too when
-- another tool moved a bag); an update that changed nothing is recorded without fields.
--
-- Who: a desk writes "user@host" into the one-row table "ClientsDesk" inside its own write
-- transaction and empties it again before the commit, so a change by anything else is
-- recorded as made by "другая программа".
--
-- The record's "Digest" is NULL until a desk seals it: SQL here has no SHA-256, so the desk
-- seals, in order, every record after the last sealed one inside its next write transaction
-- (SHA-256 over the previous record's digest and this record's content). The history is
-- never pruned.
--
-- The values pass through a unary "+", which takes away their column's affinity: without it
-- the union of the fields would convert an account number such as 40702810900000000001 to a
-- real number on its way into the history.
--
-- The feed's triggers are replaced by triggers that write the feed's row exactly as before and
-- then the history's record: one trigger per change, so the record always knows its feed row.
CREATE TABLE "ClientsHistory" (
  "Seq"     INTEGER PRIMARY KEY AUTOINCREMENT,
  "Time"    TEXT NOT NULL,
  "Who"     TEXT NOT NULL,
  "Kind"    TEXT NOT NULL CHECK ("Kind" IN ('INSERT', 'UPDATE', 'DELETE')),
  "FeedSeq" INTEGER NOT NULL,
  "ID"      INTEGER NOT NULL,
  "Digest"  BLOB
);

CREATE TABLE "ClientsHistoryFields" (
  "Seq"    INTEGER NOT NULL,
  "Field"  TEXT NOT NULL,
  "Before",
  "After",
  PRIMARY KEY ("Seq", "Field")
) WITHOUT ROWID;

CREATE TABLE "ClientsDesk" ("Who" TEXT NOT NULL);

DROP TRIGGER "clients_feed_insert";
DROP TRIGGER "clients_feed_update";
DROP TRIGGER "clients_feed_delete";

CREATE TRIGGER "clients_change_insert" AFTER INSERT ON "Clients" BEGIN
  INSERT INTO "ClientsFeed" ("ID", "Kind") VALUES (NEW.rowid, 'INSERT');
  INSERT INTO "ClientsHistory" ("Time", "Who", "Kind", "FeedSeq", "ID")
    VALUES (strftime('%Y-%m-%d %H:%M:%f', 'now'),
            coalesce((SELECT "Who" FROM "ClientsDesk" LIMIT 1), 'другая программа'), 'INSERT',
            (SELECT max("Seq") FROM "ClientsFeed"), NEW.rowid);
  INSERT INTO "ClientsHistoryFields" ("Seq", "Field", "Before", "After")
    SELECT h."Seq", v."Field", v."Before", v."After"
    FROM (SELECT max("Seq") AS "Seq" FROM "ClientsHistory") AS h,
         (SELECT 'Номер сумки' AS "Field", NULL AS "Before", +NEW."Номер сумки" AS "After"
          UNION ALL SELECT 'Номер пакета', NULL, +NEW."Номер пакета"
          UNION ALL SELECT 'Получатель', NULL, +NEW."Получатель"
          UNION ALL SELECT 'Счет', NULL, +NEW."Счет"
          UNION ALL SELECT 'Инн', NULL, +NEW."Инн"
          UNION ALL SELECT 'Символ', NULL, +NEW."Символ"
          UNION ALL SELECT 'ФИО', NULL, +NEW."ФИО") AS v
    WHERE v."After" IS NOT NULL;
END;

-- A bag whose key moved is gone under its old key and new under the new one, in the feed; the
-- history records one update whose fields include "ID".
CREATE TRIGGER "clients_change_update" AFTER UPDATE ON "Clients" BEGIN
  INSERT INTO "ClientsFeed" ("ID", "Kind") SELECT OLD.rowid, 'DELETE' WHERE OLD.rowid <> NEW.rowid;
  INSERT INTO "ClientsFeed" ("ID", "Kind")
    VALUES (NEW.rowid, CASE WHEN OLD.rowid = NEW.rowid THEN 'UPDATE' ELSE 'INSERT' END);
  INSERT INTO "ClientsHistory" ("Time", "Who", "Kind", "FeedSeq", "ID")
    VALUES (strftime('%Y-%m-%d %H:%M:%f', 'now'),
            coalesce((SELECT "Who" FROM "ClientsDesk" LIMIT 1), 'другая программа'), 'UPDATE',
            (SELECT max("Seq") FROM "ClientsFeed"), NEW.rowid);
  INSERT INTO "ClientsHistoryFields" ("Seq", "Field", "Before", "After")
    SELECT h."Seq", v."Field", v."Before", v."After"
    FROM (SELECT max("Seq") AS "Seq" FROM "ClientsHistory") AS h,
         (SELECT 'ID' AS "Field", +OLD.rowid AS "Before", +NEW.rowid AS "After"
          UNION ALL SELECT 'Номер сумки', +OLD."Номер сумки", +NEW."Номер сумки"
          UNION ALL SELECT 'Номер пакета', +OLD."Номер пакета", +NEW."Номер пакета"
          UNION ALL SELECT 'Получатель', +OLD."Получатель", +NEW."Получатель"
          UNION ALL SELECT 'Счет', +OLD."Счет", +NEW."Счет"
          UNION ALL SELECT 'Инн', +OLD."Инн", +NEW."Инн"
          UNION ALL SELECT 'Символ', +OLD."Символ", +NEW."Символ"
          UNION ALL SELECT 'ФИО', +OLD."ФИО", +NEW."ФИО") AS v
    WHERE v."Before" IS NOT v."After";
END;

CREATE TRIGGER "clients_change_delete" AFTER DELETE ON "Clients" BEGIN
  INSERT INTO "ClientsFeed" ("ID", "Kind") VALUES (OLD.rowid, 'DELETE');
  INSERT INTO "ClientsHistory" ("Time", "Who", "Kind", "FeedSeq", "ID")
    VALUES (strftime('%Y-%m-%d %H:%M:%f', 'now'),
            coalesce((SELECT "Who" FROM "ClientsDesk" LIMIT 1), 'другая программа'), 'DELETE',
            (SELECT max("Seq") FROM "ClientsFeed"), OLD.rowid);
  INSERT INTO "ClientsHistoryFields" ("Seq", "Field", "Before", "After")
    SELECT h."Seq", v."Field", v."Before", v."After"
    FROM (SELECT max("Seq") AS "Seq" FROM "ClientsHistory") AS h,
         (SELECT 'Номер сумки' AS "Field", +OLD."Номер сумки" AS "Before", NULL AS "After"
          UNION ALL SELECT 'Номер пакета', +OLD."Номер пакета", NULL
          UNION ALL SELECT 'Получатель', +OLD."Получатель", NULL
          UNION ALL SELECT 'Счет', +OLD."Счет", NULL
          UNION ALL SELECT 'Инн', +OLD."Инн", NULL
          UNION ALL SELECT 'Символ', +OLD."Символ", NULL
          UNION ALL SELECT 'ФИО', +OLD."ФИО", NULL) AS v
    WHERE v."Before" IS NOT NULL;
END;
