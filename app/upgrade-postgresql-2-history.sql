-- Step 2 of the server register's schema (version 1 -> 2): the bags' history, and keys that
-- only the server draws. Run through upgrade-postgresql.sql.
--
-- Every insert, update and delete of a bag, by a desk or any other client, adds in the same
-- transaction one record to "ClientsHistory": its number, the server's clock, who (the
-- session's login role), the kind of change, the change's number in the feed, the bag's key and
-- a digest, and in "ClientsHistoryFields" the values before and after (as text) of every field
-- that changed. An insert lists the fields it filled, a delete the fields the bag had, an
-- update the fields whose value changed (the key "ID" too, should the owner move a bag); an
-- update that changed nothing is recorded without fields. The history is never pruned.
--
-- The digest is SHA-256 over the previous record's digest and this record's content (see
-- clients_history_content). Records are numbered and chained under the lock of the one row of
-- "ClientsHistoryHead", held to the end of the writing transaction, so concurrent writers
-- chain one after the other in the order they commit and the numbers have no hole. The head
-- names the last record and its digest as of the last commit: it is moved once a transaction,
-- as it commits, not at every change (a row updated at every change of a long transaction
-- makes each next change walk all its earlier versions, so an import of many bags would slow
-- down with each bag), and it lets the check find records removed from the end.
--
-- A desk's role may read the history and nothing more: the triggers run with their owner's
-- rights and a search path fixed to this schema (temporary tables last, so that a session's
-- own tables can never stand in for the register's). Since a desk may not choose a bag's key
-- either, its rights on "Clients" name the seven fields and leave "ID" to the identity.
BEGIN;

DO $$
DECLARE
  version integer := (SELECT "Version" FROM "ClientsSchema" FOR UPDATE);
BEGIN
  IF version <> 1 THEN
    RAISE EXCEPTION 'upgrade step 2 takes a register of version 1; this one is at version %',
      version;
  END IF;
END
$$;

CREATE TABLE "ClientsHistory" (
  "Seq"     bigint PRIMARY KEY,
  "Time"    timestamptz NOT NULL,
  "Who"     text NOT NULL,
  "Kind"    text NOT NULL CHECK ("Kind" IN ('INSERT', 'UPDATE', 'DELETE')),
  "FeedSeq" bigint NOT NULL,
  "ID"      integer NOT NULL,
  "Digest"  bytea NOT NULL
);

CREATE TABLE "ClientsHistoryFields" (
  "Seq"    bigint NOT NULL,
  "Field"  text NOT NULL,
  "Before" text,
  "After"  text,
  PRIMARY KEY ("Seq", "Field")
);

CREATE TABLE "ClientsHistoryHead" (
  "Seq"    bigint NOT NULL,
  "Digest" bytea,
  "One"    boolean PRIMARY KEY DEFAULT true CHECK ("One")
);
INSERT INTO "ClientsHistoryHead" ("Seq") VALUES (0);

-- One item of a record's content: "n;" for NULL, "i<decimal>;" for a number,
-- "t<length in bytes>:<UTF-8 bytes>" for a text. The check (HistoryChain.h) encodes alike.
-- STABLE as convert_to is, so that the planner inlines them: called as functions they cost
-- more than the rest of the trigger.
CREATE FUNCTION clients_history_text(value text) RETURNS bytea LANGUAGE sql STABLE AS $$
  SELECT convert_to(CASE WHEN value IS NULL THEN 'n;'
                         ELSE 't' || octet_length(value) || ':' || value END, 'UTF8')
$$;
CREATE FUNCTION clients_history_number(value bigint) RETURNS bytea LANGUAGE sql STABLE AS $$
  SELECT convert_to(CASE WHEN value IS NULL THEN 'n;' ELSE 'i' || value || ';' END, 'UTF8')
$$;

-- A record's content: its number, time (microseconds since 1970 UTC), who, kind, feed number
-- and key, then `fields`: each changed field's name, before and after, in the byte order of
-- the names.
CREATE FUNCTION clients_history_content(entry "ClientsHistory", fields bytea) RETURNS bytea
  LANGUAGE sql STABLE AS $$
  SELECT clients_history_number(entry."Seq")
      || clients_history_number((extract(epoch FROM entry."Time") * 1000000)::bigint)
      || clients_history_text(entry."Who") || clients_history_text(entry."Kind")
      || clients_history_number(entry."FeedSeq") || clients_history_number(entry."ID") || fields
$$;

CREATE FUNCTION clients_history() RETURNS trigger LANGUAGE plpgsql SECURITY DEFINER AS $$
DECLARE
  head "ClientsHistoryHead";
  previous "ClientsHistory";
  change "ClientsHistory";
  fields bytea;
BEGIN
  SELECT * INTO head FROM "ClientsHistoryHead" FOR UPDATE;
  -- This transaction's own earlier records are past the head; records removed from the end
  -- since the head moved leave their numbers missing, so the check finds them.
  SELECT * INTO previous FROM "ClientsHistory" ORDER BY "Seq" DESC LIMIT 1;
  IF previous."Seq" IS NULL OR previous."Seq" < head."Seq" THEN
    previous."Seq" := head."Seq";
    previous."Digest" := head."Digest";
  END IF;
  change."Seq" := previous."Seq" + 1;
  change."Time" := clock_timestamp();
  change."Who" := session_user;
  change."Kind" := TG_OP;
  -- The feed's trigger (clients_feed) runs first, its name coming first.
  change."FeedSeq" := currval(pg_get_serial_sequence('"ClientsFeed"', 'Seq'));
  change."ID" := CASE WHEN TG_OP = 'DELETE' THEN OLD."ID" ELSE NEW."ID" END;
  -- The fields are digested as they are stored, not read back: a look-up per change into a
  -- table that grows within the transaction made an import of 10 000 bags take half a minute.
  WITH changed AS (
    SELECT v."Field", v."Before", v."After"
    FROM (VALUES ('ID', OLD."ID"::text, NEW."ID"::text),
                 ('Номер сумки', OLD."Номер сумки"::text, NEW."Номер сумки"::text),
                 ('Номер пакета', OLD."Номер пакета"::text, NEW."Номер пакета"::text),
                 ('Получатель', OLD."Получатель"::text, NEW."Получатель"::text),
                 ('Счет', OLD."Счет"::text, NEW."Счет"::text),
                 ('Инн', OLD."Инн"::text, NEW."Инн"::text),
                 ('Символ', OLD."Символ"::text, NEW."Символ"::text),
                 ('ФИО', OLD."ФИО"::text, NEW."ФИО"::text)) AS v ("Field", "Before", "After")
    WHERE v."Before" IS DISTINCT FROM v."After" AND (v."Field" <> 'ID' OR TG_OP = 'UPDATE')
  ), stored AS (
    INSERT INTO "ClientsHistoryFields" ("Seq", "Field", "Before", "After")
      SELECT change."Seq", "Field", "Before", "After" FROM changed
  )
  SELECT coalesce(string_agg(clients_history_text("Field") || clients_history_text("Before")
                             || clients_history_text("After"), ''::bytea
                             ORDER BY "Field" COLLATE "C"), ''::bytea)
    INTO fields FROM changed;
  change."Digest" := sha256(coalesce(previous."Digest", ''::bytea)
                            || clients_history_content(change, fields));
  INSERT INTO "ClientsHistory" SELECT change.*;
  RETURN NULL;
END
$$;

CREATE TRIGGER clients_history AFTER INSERT OR UPDATE OR DELETE ON "Clients"
  FOR EACH ROW EXECUTE FUNCTION clients_history();

-- Moves the head to the transaction's last record as it commits: the first change's call does
-- it, every later one finds it done.
CREATE FUNCTION clients_history_head() RETURNS trigger LANGUAGE plpgsql SECURITY DEFINER AS $$
BEGIN
  UPDATE "ClientsHistoryHead" AS head SET "Seq" = last."Seq", "Digest" = last."Digest"
    FROM (SELECT "Seq", "Digest" FROM "ClientsHistory" ORDER BY "Seq" DESC LIMIT 1) AS last
    WHERE last."Seq" > head."Seq";
  RETURN NULL;
END
$$;

CREATE CONSTRAINT TRIGGER clients_history_head AFTER INSERT OR UPDATE OR DELETE ON "Clients"
  DEFERRABLE INITIALLY DEFERRED FOR EACH ROW EXECUTE FUNCTION clients_history_head();

-- Every function that runs with its owner's rights, the feed's too, looks only in this schema,
-- then at temporary tables.
DO $$
DECLARE
  name text;
BEGIN
  FOREACH name IN ARRAY ARRAY['clients_history()', 'clients_history_head()', 'clients_feed()',
                              'clients_feed_truncated()']
  LOOP
    EXECUTE format('ALTER FUNCTION %s SET search_path = %I, pg_temp', name, current_schema());
  END LOOP;
END
$$;

REVOKE ALL ON "ClientsHistory", "ClientsHistoryFields", "ClientsHistoryHead" FROM PUBLIC;
GRANT SELECT ON "ClientsHistory", "ClientsHistoryFields", "ClientsHistoryHead"
  TO inkassatsiya_desk;

REVOKE INSERT, UPDATE ON "Clients" FROM inkassatsiya_desk;
GRANT INSERT ("Номер сумки", "Номер пакета", "Получатель", "Счет", "Инн", "Символ", "ФИО"),
      UPDATE ("Номер сумки", "Номер пакета", "Получатель", "Счет", "Инн", "Символ", "ФИО")
  ON "Clients" TO inkassatsiya_desk;

UPDATE "ClientsSchema" SET "Version" = 2;

COMMIT;
