'use strict';
// tedious against the station's TLS: encryption as the client and the
// station's setting agree ([MS-TDS] 2.2.6.5), and a TDS 8 ("strict") client
// turned away at once, as by a server without TDS 8.
//
// tedious asks for encryption (ENCRYPT_ON) or says it has none
// (ENCRYPT_NOT_SUP); it never asks for the login alone to be encrypted.

const test = require('node:test');
const assert = require('node:assert');
const fs = require('node:fs');
const path = require('node:path');
const { execFileSync } = require('node:child_process');
const { commandLine, startStation, connect, query } = require('./station');

const { tool, work } = commandLine();
const encrypted = { encrypt: true, trustServerCertificate: true };

function lastLogin(station) {
  return fs.readFileSync(path.join(station.dir, 'logins.log'), 'utf8').trimEnd().split('\n').pop();
}

function setEncryption(station, setting) {
  execFileSync(tool, ['encryption', station.dir, setting]);
}

test('encryption as the client and the station agree', async (t) => {
  const station = await startStation({ tool, work });
  t.after(() => station.stop());

  await t.test('asked for, the whole session is encrypted', async () => {
    const connection = await connect(station.port, { options: encrypted });
    try {
      assert.strictEqual(lastLogin(station), 'torvane\tsa\tsession encrypted');
      const { rows } = await query(connection, 'select max(S_Date) as Last_S_Date from D17_DailySale');
      assert.deepStrictEqual(rows, [[null]]);
    } finally {
      connection.close();
    }
  });

  await t.test('not asked for, the session stays in clear', async () => {
    const connection = await connect(station.port);
    connection.close();
    assert.strictEqual(lastLogin(station), 'torvane\tsa\tclear');
  });

  await t.test('a station that refuses: tedious goes on in clear', async () => {
    setEncryption(station, 'refuse');
    const connection = await connect(station.port, { options: encrypted });
    connection.close();
    assert.strictEqual(lastLogin(station), 'torvane\tsa\tclear');
  });

  await t.test('a station that forces it: a client that will not encrypt is told so', async () => {
    setEncryption(station, 'force');
    await assert.rejects(connect(station.port), (error) => error.code === 'EENCRYPT');
    const connection = await connect(station.port, { options: encrypted });
    connection.close();
    assert.strictEqual(lastLogin(station), 'torvane\tsa\tsession encrypted');
  });
});

test('a TDS 8 client is turned away at once', async (t) => {
  const station = await startStation({ tool, work });
  t.after(() => station.stop());
  const started = Date.now();
  await assert.rejects(connect(station.port, { options: { encrypt: 'strict', trustServerCertificate: true } }));
  // Well inside the 10 s connect time-out: the server closed, it did not hang.
  assert.ok(Date.now() - started < 5000, `took ${Date.now() - started} ms`);
});
