// Checks every SQL text the plug-in handed to the host in a scenario run with an independent
// Transact-SQL parser (node-sql-parser), so that SQL the simulated host's SQLite layer accepts
// but SQL Server would refuse cannot pass unseen.
//
// Input: the JSON lines of `sctav run --sql-log FILE` ({"file", "through", "sql"}). Each
// distinct text is parsed once:
//   - statements (GetData, ExecuteSQL, Appconnection, GetAnyRecordSet ...) as they stand; a batch
//     may hold several statements on separate lines without ";" between them, as SQL Server
//     allows, and the parser does not: a line that starts a new statement gets a ";" before it;
//   - the conditions the plug-in hands to the transfer lists and the receipt picker, inside the
//     query the host wraps them in;
//   - "receipt list" entries are the simulated host's own query, not the plug-in's: skipped.
// Prints each text that does not parse with its scenario files and the parser's message, and
// exits 1 when there is one (2 for bad usage).
import fs from 'node:fs';
import { createRequire } from 'node:module';

const require = createRequire(import.meta.url);
const { Parser } = require('node-sql-parser/build/transactsql');

const wrappers = {
  'list filter': (c) => `SELECT t_scTransfer.* FROM t_scTransfer LEFT JOIN view_BKPaymentTAV ON view_BKPaymentTAV.FNumber=t_scTransfer.FBillNo WHERE ${c}`,
  'receipt filter': (c) => `SELECT v.* FROM view_RecSett v INNER JOIN t_Acnt Acnt1 ON Acnt1.FID=v.FCentAcctID WHERE ${c}`,
};
const skipped = new Set(['receipt list']);
const statementStart = /^\s*(select|insert|update|delete|if|declare|set|exec|execute|begin|create|drop|with|truncate)\b/i;

// Puts ";" between the statements of a batch written one per line.
export function Terminated(batch) {
  const lines = batch.split(/\r\n|\n/);
  let out = '';
  for (const line of lines) {
    if (out.trim() !== '' && statementStart.test(line) && !/;\s*$/.test(out)) out += ';';
    out += (out === '' ? '' : '\n') + line;
  }
  return out;
}

export function Check(entries) {
  const parser = new Parser();
  const texts = new Map();  // sql to parse -> {through, files}
  for (const e of entries) {
    if (skipped.has(e.through)) continue;
    const sql = wrappers[e.through] ? wrappers[e.through](e.sql) : Terminated(e.sql);
    if (!texts.has(sql)) texts.set(sql, { through: e.through, original: e.sql, files: new Set() });
    texts.get(sql).files.add(e.file);
  }
  const failures = [];
  for (const [sql, t] of texts) {
    try {
      parser.astify(sql, { database: 'TransactSQL' });
    } catch (err) {
      failures.push({ ...t, message: String(err.message) });
    }
  }
  return { checked: texts.size, failures };
}

if (process.argv[1] && import.meta.url.endsWith(process.argv[1].split('/').pop())) {
  const file = process.argv[2];
  if (!file) {
    console.error('usage: node check.mjs SQL-LOG.jsonl');
    process.exit(2);
  }
  const entries = fs.readFileSync(file, 'utf8').split('\n').filter((l) => l.trim() !== '').map((l) => JSON.parse(l));
  const { checked, failures } = Check(entries);
  for (const f of failures) {
    console.log(`does not parse (${f.through}, in ${[...f.files].join(', ')}):\n  ${JSON.stringify(f.original)}\n  ${f.message}`);
  }
  console.log(`tsql: ${entries.length} texts sent, ${checked} distinct checked, ${failures.length} do not parse`);
  process.exit(failures.length === 0 ? 0 : 1);
}
