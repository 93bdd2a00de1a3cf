-- Brings a register database on a PostgreSQL server up to date, whichever version of the
-- program made it; a database that is up to date is left as it is. Run by the administrator as
-- the database's owner (a desk's role may not alter tables), from this folder's copy of the
-- program's files, while desks may go on working:
--   psql -v ON_ERROR_STOP=1 -d DATABASE -f upgrade-postgresql.sql
-- Desks opened before the upgrade keep working as before until they are started again.
--
-- The schema's version is the one row of "ClientsSchema" (0: as the first version made it).
-- Each step is a file of its own, upgrade-postgresql-<N>-<what>.sql, that takes version N-1 to
-- N in one transaction and refuses any other version; a new step is a new file and three
-- lines at the end of this one.
\set ON_ERROR_STOP on

BEGIN;
CREATE TABLE IF NOT EXISTS "ClientsSchema" (
  "Version" integer NOT NULL,
  "One"     boolean PRIMARY KEY DEFAULT true CHECK ("One")
);
INSERT INTO "ClientsSchema" ("Version") VALUES (0) ON CONFLICT DO NOTHING;
GRANT SELECT ON "ClientsSchema" TO inkassatsiya_desk;
COMMIT;

SELECT "Version" < 1 AS step FROM "ClientsSchema" \gset
\if :step
\ir upgrade-postgresql-1-feed.sql
\endif

SELECT "Version" < 2 AS step FROM "ClientsSchema" \gset
\if :step
\ir upgrade-postgresql-2-history.sql
\endif

SELECT "Version" < 3 AS step FROM "ClientsSchema" \gset
\if :step
\ir upgrade-postgresql-3-history-lookup.sql
\endif

SELECT "Version" < 4 AS step FROM "ClientsSchema" \gset
\if :step
\ir upgrade-postgresql-4-search.sql
\endif

SELECT "Version" < 5 AS step FROM "ClientsSchema" \gset
\if :step
\ir upgrade-postgresql-5-history-head.sql
\endif

SELECT "Version" < 6 AS step FROM "ClientsSchema" \gset
\if :step
\ir upgrade-postgresql-6-search-columns.sql
\endif
