#!/usr/bin/env node
// Reads every statement the program sends to SQL Server with a T-SQL grammar.
//
//   node check-statements.js --log DIR --corpus FILE   gathers the statement log that the tests
//                                                      wrote (data/statement_recorder.h) into
//                                                      FILE, then checks it
//   node check-statements.js --corpus FILE             checks a corpus written before
//
// The corpus holds each distinct statement once, each followed by a line holding only GO; where
// each came from goes to FILE.sources (JSON). A statement fails when it uses what SQL Server lacks
// (whatever the grammar says) or when node-sql-parser's TransactSQL grammar cannot read it, `?`
// placeholders read as @p1, @p2... The statements the grammar can not judge are listed, with the
// reason and the test that pins their text, in unjudged.json beside this file.
// Exit code: 0 every statement passes, 1 one fails or the corpus is empty or missing.

'use strict';

const fs = require('fs');
const path = require('path');

const here = __dirname;
let Parser;
try {
  ({ Parser } = require(path.join(here, 'node_modules', 'node-sql-parser', 'build', 'transactsql')));
} catch (error) {
  console.error(`node-sql-parser is not installed in ${here} (scripts/install-deps.sh installs it)`);
  process.exit(1);
}

const args = process.argv.slice(2);
const option = (name) => {
  const at = args.indexOf(name);
  return at >= 0 ? args[at + 1] : undefined;
};
const logDir = option('--log');
const corpusFile = option('--corpus');
if (!corpusFile) {
  console.error('usage: check-statements.js [--log DIR] --corpus FILE');
  process.exit(1);
}

// Gathers the log: statement text -> the sources that sent it.
function readLog(dir) {
  const statements = new Map();
  const files = fs.existsSync(dir) ? fs.readdirSync(dir).filter((f) => f.endsWith('.jsonl')) : [];
  for (const file of files.sort()) {
    for (const line of fs.readFileSync(path.join(dir, file), 'utf8').split('\n')) {
      if (!line.trim()) continue;
      const { sql, source } = JSON.parse(line);
      if (!statements.has(sql)) statements.set(sql, new Set());
      statements.get(sql).add(source);
    }
  }
  return statements;
}

function splitCorpus(text) {
  const statements = [];
  let current = [];
  for (const line of text.split('\n')) {
    if (line.trim() === 'GO') {
      if (current.join('\n').trim()) statements.push(current.join('\n'));
      current = [];
    } else {
      current.push(line);
    }
  }
  if (current.join('\n').trim()) statements.push(current.join('\n'));
  return statements;
}

let statements;
let sources = {};
if (logDir) {
  const log = readLog(logDir);
  statements = [...log.keys()].sort();
  fs.mkdirSync(path.dirname(corpusFile), { recursive: true });
  fs.writeFileSync(corpusFile, statements.map((s) => `${s}\nGO\n`).join(''));
  for (const s of statements) sources[s] = [...log.get(s)].sort();
  fs.writeFileSync(`${corpusFile}.sources`, JSON.stringify(sources, null, 1));
} else {
  if (!fs.existsSync(corpusFile)) {
    console.error(`no corpus at ${corpusFile}`);
    process.exit(1);
  }
  statements = splitCorpus(fs.readFileSync(corpusFile, 'utf8'));
  if (fs.existsSync(`${corpusFile}.sources`))
    sources = JSON.parse(fs.readFileSync(`${corpusFile}.sources`, 'utf8'));
}

// The text outside string literals, quoted and bracketed names; `?` outside them read as @pN.
function scan(sql) {
  let code = '';
  let parsable = '';
  let parameter = 0;
  for (let i = 0; i < sql.length; ) {
    const c = sql[i];
    const close = c === "'" ? "'" : c === '"' ? '"' : c === '[' ? ']' : null;
    if (close) {
      let j = i + 1;
      for (;;) {
        if (j >= sql.length) break;
        if (sql[j] === close) {
          if (close !== ']' && sql[j + 1] === close) { j += 2; continue; }
          break;
        }
        j++;
      }
      parsable += sql.slice(i, j + 1);
      code += ' ';
      i = j + 1;
    } else if (c === '?') {
      parsable += `@p${++parameter}`;
      code += ' ';
      i++;
    } else {
      parsable += c;
      code += c;
      i++;
    }
  }
  return { code, parsable };
}

// What SQL Server lacks, whatever the grammar accepts.
const lacking = [
  [/\bLIMIT\b/i, 'LIMIT'],
  [/\|\|/, '||'],
  [/\bsubstr\s*\(/i, 'substr('],
  [/\binstr\s*\(/i, 'instr('],
  [/\bifnull\s*\(/i, 'ifnull('],
  [/\bstrftime\s*\(/i, 'strftime('],
  [/\bjulianday\s*\(/i, 'julianday('],
  [/\bpragma/i, 'pragma'],
  [/\bINSERT\s+OR\b/i, 'INSERT OR'],
  [/\bON\s+CONFLICT\b/i, 'ON CONFLICT'],
  [/\browid\b/i, 'rowid'],
  [/\bAUTOINCREMENT\b/i, 'AUTOINCREMENT'],
  [/\bCOLLATE\s+(ci_rtrim|NOCASE|BINARY|RTRIM)\b/i, 'a SQLite collation'],
];

const unjudged = new Map(
  JSON.parse(fs.readFileSync(path.join(here, 'unjudged.json'), 'utf8')).map((u) => [u.statement, u]),
);

const parser = new Parser();
const failures = [];
let parsed = 0;
const notJudged = [];
for (const sql of statements) {
  const { code, parsable } = scan(sql);
  const missing = lacking.filter(([pattern]) => pattern.test(code)).map(([, name]) => name);
  let problem = missing.length ? `SQL Server has no ${missing.join(', ')}` : null;
  if (!problem) {
    if (unjudged.has(sql)) {
      notJudged.push(unjudged.get(sql));
      continue;
    }
    try {
      parser.astify(parsable, { database: 'TransactSQL' });
      parsed++;
    } catch (error) {
      problem = `the T-SQL grammar can not read it: ${String(error.message).slice(0, 300)}`;
    }
  }
  if (problem) failures.push({ sql, problem });
}

const summary =
  `T-SQL: ${statements.length} statements in ${corpusFile}: ${parsed} read by the grammar, ` +
  `${notJudged.length} not judged (tools/tsql/unjudged.json), ${failures.length} failed`;
for (const { sql, problem } of failures) {
  console.log(`FAILED: ${sql}\n  ${problem}`);
  for (const source of sources[sql] || ['(source unknown)']) console.log(`  sent by ${source}`);
}
console.log(summary);
fs.writeFileSync(path.join(path.dirname(corpusFile), 'summary.txt'), `${summary}\n`);
process.exit(failures.length || statements.length === 0 ? 1 : 0);
