-- Step 4 of the file register's schema (PRAGMA user_version 3 -> 4): the search index.
--
-- "ClientsSearch" holds, for every bag under its key, the texts the search field looks in,
-- indexed by trigrams (three characters in a row), so that a search reads the index and never
-- the whole register; a search therefore needs at least three characters. The trigram
-- tokenizer folds the case of Cyrillic and Latin letters alike; "ё" is kept as "е" here, and
-- the program folds what the operator types the same way.
--   "Starts"  the bag number and the package number, each on a line of its own after the mark
--             char(1), which nobody types: a search for the mark and the digits typed finds
--             the numbers that start with them;
--   "Numbers" the INN and the account, found by digits anywhere in them;
--   "Names"   the recipient and the full name, found by text anywhere in them.
-- The view "ClientsSearchText" says once how a bag's texts are made; the triggers keep the
-- index in step with "Clients" in the same transaction as the change, whoever makes it.
CREATE VIEW "ClientsSearchText" ("Key", "Starts", "Numbers", "Names") AS
  SELECT rowid,
         char(1) || coalesce("Номер сумки", '') || char(10) || char(1) || coalesce("Номер пакета", ''),
         coalesce("Инн", '') || char(10) || coalesce("Счет", ''),
         replace(replace(coalesce("Получатель", '') || char(10) || coalesce("ФИО", ''), 'ё', 'е'),
                 'Ё', 'Е')
  FROM "Clients";

CREATE VIRTUAL TABLE "ClientsSearch" USING fts5(
  "Starts", "Numbers", "Names", tokenize = 'trigram case_sensitive 0');

INSERT INTO "ClientsSearch" (rowid, "Starts", "Numbers", "Names")
  SELECT "Key", "Starts", "Numbers", "Names" FROM "ClientsSearchText";

CREATE TRIGGER "clients_search_insert" AFTER INSERT ON "Clients" BEGIN
  INSERT INTO "ClientsSearch" (rowid, "Starts", "Numbers", "Names")
    SELECT "Key", "Starts", "Numbers", "Names" FROM "ClientsSearchText" WHERE "Key" = NEW.rowid;
END;

CREATE TRIGGER "clients_search_update" AFTER UPDATE ON "Clients" BEGIN
  DELETE FROM "ClientsSearch" WHERE rowid = OLD.rowid;
  INSERT INTO "ClientsSearch" (rowid, "Starts", "Numbers", "Names")
    SELECT "Key", "Starts", "Numbers", "Names" FROM "ClientsSearchText" WHERE "Key" = NEW.rowid;
END;

CREATE TRIGGER "clients_search_delete" AFTER DELETE ON "Clients" BEGIN
  DELETE FROM "ClientsSearch" WHERE rowid = OLD.rowid;
END;
