-- Step 6 of the server register's schema (version 5 -> 6): the folded names kept in the row.
-- Run through upgrade-postgresql.sql.
--
-- Step 4 indexes the recipient and full name as expressions, so every bag the search looks at
-- has its names folded again: two translate() calls over the text, some 10-20 us a bag, which
-- a word most bags hold pays a thousand times a keystroke. The server now keeps both spellings
-- the search compares in two stored columns that it computes itself on every insert and
-- update, whoever writes (nobody may write them), with the same functions as before:
--   "SearchNames"  the recipient and full name folded (clients_search_names), which the search
--                  compares with the text typed;
--   "SearchLatin"  the same spelled in Latin letters (clients_search_latin), which the trigram
--                  index "Clients_SearchNames" holds.
-- A bag thus costs the search a LIKE on a stored text. What a search finds does not change.
--
-- Adding the columns writes the table anew and takes it for that time from the desks (78 s for
-- a million bags on a busy 2-core machine): a desk waits as for a lock held elsewhere and is
-- told that the register is busy. Upgrade outside working hours.
BEGIN;

DO $$
DECLARE
  version integer := (SELECT "Version" FROM "ClientsSchema" FOR UPDATE);
BEGIN
  IF version <> 5 THEN
    RAISE EXCEPTION 'upgrade step 6 takes a register of version 5; this one is at version %',
      version;
  END IF;
END
$$;

-- Dropped before the table is written anew, so that it is made only once, on the new column.
DROP INDEX "Clients_SearchNames";
-- The column has statistics of its own.
DROP STATISTICS "Clients_SearchNamesFolded";

ALTER TABLE "Clients"
  ADD COLUMN "SearchNames" text
    GENERATED ALWAYS AS (clients_search_names("Получатель", "ФИО")) STORED,
  ADD COLUMN "SearchLatin" text
    GENERATED ALWAYS AS (clients_search_latin(clients_search_names("Получатель", "ФИО"))) STORED;

CREATE INDEX "Clients_SearchNames" ON "Clients" USING gin ("SearchLatin" gin_trgm_ops);
ANALYZE "Clients";

UPDATE "ClientsSchema" SET "Version" = 6;

COMMIT;
