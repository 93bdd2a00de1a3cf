#pragma once

#include "tests/support/jet/JetDatabase.h"

#include <string>
#include <vector>

// The register of bags a Windows desk keeps in db.mdb (table Clients of a Jet 4 file), and the
// variants of it the import tests need. Everything is deterministic: the same call gives the
// same values and the same bytes.
namespace jet {

// One bag: the seven fields in register order ("Номер сумки", "Номер пакета", "Получатель",
// "Счет", "Инн", "Символ", "ФИО"), Null where the field is NULL.
using TBag = std::vector<TValue>;

// The seven field names, in register order.
const std::vector<std::string>& ClientsFieldNames();

// The columns of Clients as Access made them: the key "ID" (AutoNumber), then "Номер сумки"
// Text 50, "Номер пакета" Long Integer, "Получатель" Text 255, "Счет" Text 255, "Инн" Text 255,
// "Символ" Long Integer, "ФИО" Text 100; text columns with Unicode compression.
std::vector<TColumn> ClientsColumns();

// The table Clients holding `bags` in this order, their IDs 1, 2, ...
TTable ClientsTable(const std::vector<TBag>& bags);

// A database whose only table is ClientsTable(bags).
TDatabase ClientsDatabase(const std::vector<TBag>& bags, TFormat format = TFormat::Jet4);

// Bags whose every value an import must keep exactly, all of them acceptable to it (a bag
// number, a cash symbol of the list 2, 11, 19, 32 or none, texts within the fields' sizes):
// Cyrillic with "ё" and typographic quotes, leading zeros in numbers kept as text, every
// nullable field NULL, the longest texts each field holds, the 32-bit extremes of "Номер
// пакета", Latin-1 letters (stored compressed) beside Cyrillic (not compressible), and text
// with quotes, commas, a tab and a line break.
const std::vector<TBag>& SampleBags();

// Bags an import must refuse, one reason each, in this order: an empty bag number, a NULL bag
// number, a cash symbol not in the list (99).
const std::vector<TBag>& RefusedBags();

// Bag n (1-based) of a generated register: bag number "%06d" of n ("СБ-%05d" for every
// seventh), package 100000 + n (NULL for every eleventh), one of a few Cyrillic recipients
// with "№ n", a 20-digit account and a 10-digit INN (leading zero for odd n), cash symbol 2,
// 11, 19, 32 or NULL in turn, one of a few full names (NULL for every fifth). Bag numbers are
// unique.
TBag GeneratedBag(int n);
std::vector<TBag> GeneratedBags(int count);

// Variants of a register for the importer's refusals.
// Clients without the field `field` (one of ClientsFieldNames()).
TDatabase ClientsWithoutField(const std::vector<TBag>& bags, const std::string& field);
// No table Clients: the bags are in a table "Сумки" of the same columns.
TDatabase WithoutClients(const std::vector<TBag>& bags);
// "ФИО" declared a Memo, as a register edited by hand may have it, holding `name` (longer than
// the 100 characters of the field) in the bag at `index`; the other bags as given.
TDatabase ClientsWithLongName(std::vector<TBag> bags, std::size_t index, const std::string& name);
// Clients with an extra Memo column "Примечание" after the seven fields, holding notes[i] for
// bag i (Null for none); a note short enough stays in its row, a longer one goes to long-value
// pages, one longer than a page to a chain of them.
TDatabase ClientsWithNotes(const std::vector<TBag>& bags, const std::vector<TValue>& notes);

}  // namespace jet
