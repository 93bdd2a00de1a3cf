-- The register of cash-collection bags on a PostgreSQL server (15 or later), shared by several
-- desks. Run once by the administrator as the database's owner, in the database the desks will
-- use:  psql -v ON_ERROR_STOP=1 -d DATABASE -f schema-postgresql.sql
-- Creates an empty "Clients" table as the first version of the program made it, with the trigger
-- that tells every listening desk about a change, and the group role "inkassatsiya_desk" whose
-- members (the desks' login roles) may read and write the bags and nothing else; then brings it
-- up to date with the steps of upgrade-postgresql.sql, as an older register is brought.
BEGIN;

-- The seven fields in the types and sizes of the SQLite register (app/schema.sql); every one may
-- be NULL. "ID" is the key by which the program finds a row again; the server assigns it and
-- nobody writes it.
CREATE TABLE "Clients" (
  "ID"           integer GENERATED ALWAYS AS IDENTITY PRIMARY KEY,
  "Номер сумки"  varchar(50),
  "Номер пакета" integer,
  "Получатель"   varchar(255),
  "Счет"         varchar(255),
  "Инн"          varchar(255),
  "Символ"       integer,
  "ФИО"          varchar(100)
);

-- Every added, changed or deleted bag is announced on the channel "clients_changed" when its
-- transaction commits, with the payload "<operation> <ID>": "INSERT 17", "UPDATE 17", "DELETE 17".
CREATE FUNCTION clients_notify_change() RETURNS trigger LANGUAGE plpgsql AS $$
BEGIN
  IF TG_OP = 'DELETE' THEN
    PERFORM pg_notify('clients_changed', TG_OP || ' ' || OLD."ID");
  ELSE
    PERFORM pg_notify('clients_changed', TG_OP || ' ' || NEW."ID");
  END IF;
  RETURN NULL;
END
$$;

CREATE TRIGGER clients_notify_change AFTER INSERT OR UPDATE OR DELETE ON "Clients"
  FOR EACH ROW EXECUTE FUNCTION clients_notify_change();

-- The desks' rights. Roles belong to the whole server, so a second register on the same
-- server reuses the group role. The identity column draws its numbers without a grant on
-- its sequence.
DO $$
BEGIN
  IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'inkassatsiya_desk') THEN
    CREATE ROLE inkassatsiya_desk NOLOGIN;
  END IF;
END
$$;
GRANT SELECT, INSERT, UPDATE, DELETE ON "Clients" TO inkassatsiya_desk;

COMMIT;

\ir upgrade-postgresql.sql
