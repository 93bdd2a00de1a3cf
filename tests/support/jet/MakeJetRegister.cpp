// make-jet-register: writes a Jet 4 register of generated bags, for benchmarks and by hand.
//   make-jet-register [options] COUNT FILE
//     --sample          the sample bags and the bags an import refuses first, then COUNT generated
//     --ace             the header of Access 2007 ("Standard ACE DB") instead of Jet 4
//     --notes           an extra Memo column "Примечание" with a note of 1..5000 characters per bag
//     --without FIELD   Clients without that field
//     --no-clients      the bags in a table "Сумки" instead of Clients
//     --truncate BYTES  only the first BYTES bytes of the file
#include "tests/support/jet/ClientsRegister.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <string>

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: make-jet-register [--sample] [--ace] [--notes] [--without FIELD] [--no-clients] "
               "[--truncate BYTES] COUNT FILE\n");
  return 2;
}

// Notes of every kind a long value takes: none, in the row, on a page, over a chain of pages.
jet::TValue Note(int n) {
  switch (n % 4) {
    case 0: return jet::Null;
    case 1: return std::string("Пломба цела");
    case 2: return std::string(1000, 'N');
    default: {
      std::string note;
      for (int i = 0; i < 5000; ++i)
        note += "ю";
      return note;
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  bool sample = false, notes = false, noClients = false;
  jet::TFormat format = jet::TFormat::Jet4;
  std::string without;
  long long truncate = -1;
  std::vector<std::string> positional;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--sample")
      sample = true;
    else if (arg == "--ace")
      format = jet::TFormat::Ace12;
    else if (arg == "--notes")
      notes = true;
    else if (arg == "--no-clients")
      noClients = true;
    else if (arg == "--without" && i + 1 < argc)
      without = argv[++i];
    else if (arg == "--truncate" && i + 1 < argc)
      truncate = std::atoll(argv[++i]);
    else if (arg.starts_with("--"))
      return Usage();
    else
      positional.push_back(arg);
  }
  if (positional.size() != 2)
    return Usage();
  try {
    std::vector<jet::TBag> bags;
    if (sample) {
      bags = jet::SampleBags();
      bags.insert(bags.end(), jet::RefusedBags().begin(), jet::RefusedBags().end());
    }
    const auto generated = jet::GeneratedBags(std::stoi(positional[0]));
    bags.insert(bags.end(), generated.begin(), generated.end());
    jet::TDatabase database = jet::ClientsDatabase(bags, format);
    if (!without.empty())
      database = jet::ClientsWithoutField(bags, without);
    if (noClients)
      database = jet::WithoutClients(bags);
    if (notes) {
      std::vector<jet::TValue> values;
      for (std::size_t n = 0; n < bags.size(); ++n)
        values.push_back(Note(static_cast<int>(n)));
      database = jet::ClientsWithNotes(bags, values);
    }
    database.Format = format;
    std::vector<std::uint8_t> bytes = jet::WriteDatabase(database);
    if (truncate >= 0 && static_cast<std::size_t>(truncate) < bytes.size())
      bytes.resize(static_cast<std::size_t>(truncate));
    std::ofstream out(positional[1], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      std::fprintf(stderr, "make-jet-register: cannot write %s\n", positional[1].c_str());
      return 1;
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "make-jet-register: %s\n", error.what());
    return 1;
  }
  return 0;
}
