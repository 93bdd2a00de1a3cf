-- Step 4 of the server register's schema (version 3 -> 4): the search index. Run through
-- upgrade-postgresql.sql by the database's owner: it adds the extension pg_trgm (shipped with
-- the server) to the database, which a desk's role may not do.
--
-- The search field finds digits at the start of the bag or package number and anywhere in the
-- INN or account, and text anywhere in the recipient or full name, whatever its case, "ё" as
-- "е". The server keeps these indexes itself on every change, whoever makes it:
--   "Clients_SearchBag", "Clients_SearchPackage"  the numbers' beginnings (a B-tree that
--       compares characters, not the locale's collation, as LIKE 'digits%' needs);
--   "Clients_SearchNumbers"  INN and account by trigrams (pg_trgm);
--   "Clients_SearchNames"    recipient and full name by trigrams.
-- A trigram is three characters in a row, so a search needs at least three.
--
-- pg_trgm takes only the letters of the database's locale into its trigrams: in a database of
-- the C locale Cyrillic letters are none, and an index of the names as written would hold
-- nothing of them. The names are therefore indexed spelled in Latin letters and digits
-- (clients_search_latin, one character for one): the index finds every name that holds the
-- spelling of the text typed, and the text itself is then compared folded
-- (clients_search_names), whatever the locale.
BEGIN;

DO $$
DECLARE
  version integer := (SELECT "Version" FROM "ClientsSchema" FOR UPDATE);
BEGIN
  IF version <> 3 THEN
    RAISE EXCEPTION 'upgrade step 4 takes a register of version 3; this one is at version %',
      version;
  END IF;
END
$$;

CREATE EXTENSION IF NOT EXISTS pg_trgm;

-- The recipient and the full name as the search compares them: lower case, "ё" as "е",
-- Cyrillic folded here rather than by lower(), which folds only what the locale knows.
CREATE FUNCTION clients_search_names(recipient text, full_name text) RETURNS text
  LANGUAGE sql IMMUTABLE PARALLEL SAFE
  RETURN lower(translate(coalesce(recipient, '') || E'\n' || coalesce(full_name, ''),
                         'АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯё',
                         'абвгдеежзийклмнопрстуфхцчшщъыьэюяе'));

-- Folded Cyrillic in the characters pg_trgm takes in any locale, one for one, so that a text
-- held by a name is held by its spelling too.
CREATE FUNCTION clients_search_latin(folded text) RETURNS text
  LANGUAGE sql IMMUTABLE PARALLEL SAFE
  RETURN translate(folded, 'абвгдежзийклмнопрстуфхцчшщъыьэюя',
                           'abvgde1zijklmnoprstufhc2345y6789');

-- The INN and the account, in which digits are found anywhere.
CREATE FUNCTION clients_search_numbers(inn text, account text) RETURNS text
  LANGUAGE sql IMMUTABLE PARALLEL SAFE
  RETURN coalesce(inn, '') || E'\n' || coalesce(account, '');

CREATE INDEX "Clients_SearchBag" ON "Clients" ("Номер сумки" text_pattern_ops);
CREATE INDEX "Clients_SearchPackage" ON "Clients" (("Номер пакета"::text) text_pattern_ops);
CREATE INDEX "Clients_SearchNumbers" ON "Clients"
  USING gin (clients_search_numbers("Инн", "Счет") gin_trgm_ops);
CREATE INDEX "Clients_SearchNames" ON "Clients"
  USING gin (clients_search_latin(clients_search_names("Получатель", "ФИО")) gin_trgm_ops);

-- The server learns how often the folded names hold a text (it does for the indexed
-- expressions on its own): without it, it takes a word that every bag holds for a rare one and
-- reads every bag that holds it before the first thousand by key, instead of stopping there.
CREATE STATISTICS "Clients_SearchNamesFolded" ON (clients_search_names("Получатель", "ФИО"))
  FROM "Clients";
ANALYZE "Clients";

UPDATE "ClientsSchema" SET "Version" = 4;

COMMIT;
