// Prints what mdb-reader reads in a Jet file, as one JSON object:
//   node read-jet.mjs FILE          {"tables": [user table names]}
//   node read-jet.mjs FILE TABLE    {"tables": [...], "columns": [{name, type, size}], "rows": [[values in column order]]}
// A file it cannot read: the reader's message on stderr, exit 1.
import fs from "node:fs";
import MDBReader from "mdb-reader";

const [file, table] = process.argv.slice(2);
try {
  const reader = new MDBReader(fs.readFileSync(file));
  const out = { tables: reader.getTableNames() };
  if (table !== undefined) {
    const t = reader.getTable(table);
    const columns = t.getColumns();
    out.columns = columns.map((c) => ({ name: c.name, type: c.type, size: c.size }));
    out.rows = t.getData({ rowLimit: Infinity }).map((row) => columns.map((c) => row[c.name]));
  }
  process.stdout.write(JSON.stringify(out));
} catch (error) {
  process.stderr.write(String(error && error.stack ? error.stack : error) + "\n");
  process.exit(1);
}
