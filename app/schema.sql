-- The register of cash-collection bags: an empty Clients table.
-- "ID" is the key the program neither shows nor writes; every other column may be NULL.
CREATE TABLE Clients (
  "ID"           INTEGER PRIMARY KEY AUTOINCREMENT,
  "Номер сумки"  VARCHAR(50),
  "Номер пакета" INTEGER,
  "Получатель"   VARCHAR(255),
  "Счет"         VARCHAR(255),
  "Инн"          VARCHAR(255),
  "Символ"       INTEGER,
  "ФИО"          VARCHAR(100)
);
