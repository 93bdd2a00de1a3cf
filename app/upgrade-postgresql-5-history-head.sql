-- Step 5 of the server register's schema (version 4 -> 5): the history written by one trigger
-- and fewer statements. Run through upgrade-postgresql.sql.
--
-- The records and their digests stay exactly as step 2 made them, so the check walks one chain
-- across records written before and after this step. What changes is how a change finds its
-- place in the chain. Step 2 locked the head, looked up the last record, and moved the head in
-- a second, deferred trigger as the transaction committed; each of those was a statement of
-- its own, and the history nearly doubled the time of a save. Now one trigger does it all: the
-- change's content is made before any lock, then a single UPDATE of the head both waits for
-- the writer before (its row lock) and, on the head's newest version, numbers the record and
-- computes its digest from the previous one; the record and its fields are stored with what
-- that UPDATE returns. The head thus always names the last record, committed or not, and
-- concurrent writers still chain one after the other in the order they commit.
--
-- A row updated at every change of a long transaction must not be looked for afresh each time:
-- its versions pile up until the transaction ends, and each look would walk them all (an
-- import of many bags would slow down with each bag). So the trigger keeps where the head's
-- newest version is (its ctid) in a setting local to the transaction and updates it there
-- directly. The setting only chooses the way to the row: a desk that sets it to another place
-- finds no head there, and the trigger then updates the head by looking for it (a value that
-- is no place at all fails that desk's own change).
--
-- A record's time is taken as the change is made, before waiting for another writer; records
-- are ordered by their number, which the chain fixes.
BEGIN;

DO $$
DECLARE
  version integer := (SELECT "Version" FROM "ClientsSchema" FOR UPDATE);
BEGIN
  IF version <> 4 THEN
    RAISE EXCEPTION 'upgrade step 5 takes a register of version 4; this one is at version %',
      version;
  END IF;
END
$$;

-- Dropping the deferred trigger waits for the transactions still writing with it, so each of
-- them has moved the head by the time the new trigger writes.
DROP TRIGGER clients_history_head ON "Clients";
DROP FUNCTION clients_history_head();
DROP FUNCTION clients_history_content("ClientsHistory", bytea);
DROP FUNCTION clients_history_text(text);
DROP FUNCTION clients_history_number(bigint);

-- A record's content is encoded as HistoryContent (app/store/HistoryChain.h) encodes it:
-- "i<decimal>;" for a number, "t<length in bytes>:<UTF-8 bytes>" for a text, "n;" for NULL;
-- number, time (microseconds since 1970 UTC), who, kind, feed number and key, then each
-- changed field's name, before and after in the byte order of the names.
CREATE OR REPLACE FUNCTION clients_history() RETURNS trigger LANGUAGE plpgsql SECURITY DEFINER AS $$
DECLARE
  -- The fields in the byte order of their UTF-8 names; the key only when an update moved it.
  names text[] := ARRAY['ID', 'Инн', 'Номер пакета', 'Номер сумки', 'Получатель', 'Символ',
                        'Счет', 'ФИО'];
  befores text[] := ARRAY[CASE WHEN TG_OP = 'UPDATE' THEN OLD."ID"::text END, OLD."Инн",
                          OLD."Номер пакета"::text, OLD."Номер сумки", OLD."Получатель",
                          OLD."Символ"::text, OLD."Счет", OLD."ФИО"];
  afters text[] := ARRAY[CASE WHEN TG_OP = 'UPDATE' THEN NEW."ID"::text END, NEW."Инн",
                         NEW."Номер пакета"::text, NEW."Номер сумки", NEW."Получатель",
                         NEW."Символ"::text, NEW."Счет", NEW."ФИО"];
  moment timestamptz := clock_timestamp();
  -- The feed's trigger (clients_feed) runs first, its name coming first.
  feed bigint := currval('"ClientsFeed_Seq_seq"'::regclass);
  bag integer := CASE WHEN TG_OP = 'DELETE' THEN OLD."ID" ELSE NEW."ID" END;
  -- The content after the record's number, which only the head gives.
  content text;
  fields text := '';
  seq bigint;
  digest bytea;
  place tid;
BEGIN
  FOR i IN 1..8 LOOP
    IF befores[i] IS DISTINCT FROM afters[i] THEN
      fields := fields || format('t%s:%s%s%s', octet_length(names[i]), names[i],
        CASE WHEN befores[i] IS NULL THEN 'n;'
             ELSE format('t%s:%s', octet_length(befores[i]), befores[i]) END,
        CASE WHEN afters[i] IS NULL THEN 'n;'
             ELSE format('t%s:%s', octet_length(afters[i]), afters[i]) END);
    END IF;
  END LOOP;
  content := format('i%s;t%s:%st%s:%si%s;i%s;%s', (extract(epoch FROM moment) * 1000000)::bigint,
                    octet_length(session_user), session_user, octet_length(TG_OP), TG_OP,
                    feed, bag, fields);
  place := nullif(current_setting('inkassatsiya.history_head', true), '')::tid;
  IF place IS NOT NULL THEN
    UPDATE "ClientsHistoryHead"
      SET "Seq" = "Seq" + 1,
          "Digest" = sha256(coalesce("Digest", ''::bytea)
                            || convert_to(format('i%s;%s', "Seq" + 1, content), 'UTF8'))
      WHERE ctid = place
      RETURNING "Seq", "Digest", ctid INTO seq, digest, place;
  END IF;
  -- The transaction's first change, or one that finds no head at the place it was given.
  IF seq IS NULL THEN
    UPDATE "ClientsHistoryHead"
      SET "Seq" = "Seq" + 1,
          "Digest" = sha256(coalesce("Digest", ''::bytea)
                            || convert_to(format('i%s;%s', "Seq" + 1, content), 'UTF8'))
      RETURNING "Seq", "Digest", ctid INTO seq, digest, place;
  END IF;
  PERFORM set_config('inkassatsiya.history_head', place::text, true);
  INSERT INTO "ClientsHistory" VALUES (seq, moment, session_user, TG_OP, feed, bag, digest);
  INSERT INTO "ClientsHistoryFields" ("Seq", "Field", "Before", "After")
    SELECT seq, f.name, f.before, f.after
    FROM unnest(names, befores, afters) AS f (name, before, after)
    WHERE f.before IS DISTINCT FROM f.after;
  RETURN NULL;
END
$$;

-- Replacing the function dropped its fixed search path: this schema, then temporary tables.
DO $$
BEGIN
  EXECUTE format('ALTER FUNCTION clients_history() SET search_path = %I, pg_temp',
                 current_schema());
END
$$;

UPDATE "ClientsSchema" SET "Version" = 5;

COMMIT;
