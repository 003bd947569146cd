// The checker itself: a batch without ";" between its lines passes, a broken statement or
// condition is reported with its files, and the host's own receipt query is not the plug-in's.
import test from 'node:test';
import assert from 'node:assert/strict';
import { Check, Terminated } from './check.mjs';

test('a batch of statements one per line is split where a statement starts', () => {
  assert.equal(Terminated('update a set x=1 where id=2\r\n update b set y=2'), 'update a set x=1 where id=2;\n update b set y=2');
  assert.equal(Terminated('select a,\r\n b from t'), 'select a,\n b from t');
  assert.equal(Terminated('update a set x=1;\r\nupdate b set y=2'), 'update a set x=1;\nupdate b set y=2');
});

test('texts that do not parse are reported once, with every file that sent them', () => {
  const { checked, failures } = Check([
    { file: 'a.sct', through: 'GetData', sql: 'select FID from t_scTransfer where FID=1' },
    { file: 'a.sct', through: 'ExecuteSQL', sql: 'update t_scTransfer set FAmt= where FID=1' },
    { file: 'b.sct', through: 'ExecuteSQL', sql: 'update t_scTransfer set FAmt= where FID=1' },
    { file: 'a.sct', through: 'list filter', sql: 't_scTransfer.FCheckStatus=1 AND' },
    { file: 'a.sct', through: 'receipt filter', sql: "v.FCentAcctID=101 AND v.FRecSettDate<='2026-12-08'" },
    { file: 'a.sct', through: 'receipt list', sql: 'not the plug-in s SQL (' },
  ]);
  assert.equal(checked, 4);
  assert.deepEqual(failures.map((f) => [f.through, [...f.files]]), [
    ['ExecuteSQL', ['a.sct', 'b.sct']],
    ['list filter', ['a.sct']],
  ]);
});
