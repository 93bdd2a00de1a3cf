-- Step 3 of the file register's schema (PRAGMA user_version 2 -> 3): finding a bag's history.
--
-- The window "История" asks for the records of the bags that bear or bore a bag number: the
-- bags are found among the history's changes of "Номер сумки" (partial indexes, which hold only
-- those: an insert, a delete or a new number of a bag), their records by the bag's key. Without
-- them each look walked the whole history, whose size only grows.
CREATE INDEX "ClientsHistoryBags" ON "ClientsHistory" ("ID");
CREATE INDEX "ClientsHistoryNumbersBefore" ON "ClientsHistoryFields" ("Before")
  WHERE "Field" = 'Номер сумки';
CREATE INDEX "ClientsHistoryNumbersAfter" ON "ClientsHistoryFields" ("After")
  WHERE "Field" = 'Номер сумки';
