#pragma once

// The six-line voucher payload of a typical bag, as UTF-8 (207 bytes): with the byte-order mark
// a version-9 symbol at level L.
inline constexpr char SamplePayload[] =
    "№ сумки:1234;\r\n№ пакета:5678;\r\nПолучатель:ООО Ромашка;\r\n"
    "Транзитный счет:40702810900000000001;\r\nСумма:15000,7 руб.;\r\nКассовый символ:2;\r\n";
