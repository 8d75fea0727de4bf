'use strict';
// Cancel and time-out as a strict client meets them: tedious reads the
// interrupted reply, then waits for the acknowledgement as a message of its
// own, and gives the connection up when it does not come.
const { test, before, after } = require('node:test');
const assert = require('node:assert');
const { execFileSync } = require('node:child_process');
const { tedious, commandLine, startStation, connect, query } = require('./station.js');

const backup = 'EXEC SYNX_TWO_DB_TO_BK1_BK2';
const salesLock = "select count(*) from D17_DailySale with (tablockx, holdlock) where S_Date>='2016-11-25 00:00:00' and S_Date<'2016-11-26 00:00:00'";
const fuelType = "select d1.fueltypecode from D10_Hose d1 left outer join d1_fueltype d2 on d1.fueltypecode=d2.fueltypecode left outer join d9_tank d3 on d1.tank_no=d3.tank_no where d1.pump_no='1' and d1.hose_number='1'";
// Well below tedious's own 5 s, so a missing acknowledgement fails the test quickly.
const cancelTimeout = 3000;

const { tool, work } = commandLine();
let station;

before(async () => {
  station = await startStation({ tool, work });
  execFileSync(tool, ['sql', station.dir, 'torvane',
    "INSERT INTO D17_DailySale (VocNo, S_Date) VALUES ('INV/C9/251116/1', '2016-11-25 10:00:00')"]);
});
after(() => station.stop());

function fault(name, value) {
  execFileSync(tool, ['fault', station.dir, name, value]);
}
function lastStatement() {
  return execFileSync(tool, ['log', station.dir], { encoding: 'utf8' }).trim().split('\n').pop();
}
function backedUp() {
  return execFileSync(tool, ['sql', station.dir, 'torvane_bk1', 'SELECT count(*) FROM D17_DailySale'], { encoding: 'utf8' }).trim();
}
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// Starts a batch and gives back its outcome, the error it ended with or null.
function started(connection, sql) {
  return new Promise((resolve) => {
    connection.execSql(new tedious.Request(sql, (error) => resolve(error ?? null)));
  });
}

// The connection answers again, and with the right rows.
async function stillWorks(connection) {
  assert.deepStrictEqual((await query(connection, fuelType)).rows, [['ULP']]);
}

// Another session takes the daily sales exclusively in an open transaction.
async function lockHolder() {
  const holder = await connect(station.port);
  await new Promise((resolve, reject) => holder.beginTransaction((error) => (error ? reject(error) : resolve())));
  await query(holder, salesLock);
  let held = true;
  return {
    async release() {
      if (!held) return;
      held = false;
      await new Promise((resolve, reject) => holder.commitTransaction((error) => (error ? reject(error) : resolve())));
      holder.close();
    },
  };
}

// A connection of its own while the backup takes 30 s.
async function duringSlowBackup(options, check) {
  fault('backup-seconds', '30');
  const client = await connect(station.port, { options: { cancelTimeout, ...options } });
  try {
    await check(client);
  } finally {
    fault('backup-seconds', '0');
    client.close();
  }
}

// A connection of its own while another session holds the daily sales.
async function whileLocked(options, check) {
  const holder = await lockHolder();
  const client = await connect(station.port, { options: { cancelTimeout, ...options } });
  try {
    await check(client, holder);
  } finally {
    await holder.release();
    client.close();
  }
}

test('a cancel stops a running procedure before its copy and the connection goes on', () =>
  duringSlowBackup({}, async (client) => {
    const outcome = started(client, backup);
    await sleep(300);
    const since = Date.now();
    client.cancel();
    const error = await outcome;
    assert.strictEqual(error?.code, 'ECANCEL', String(error));
    assert.ok(Date.now() - since < 2000, 'the acknowledgement came late');
    assert.strictEqual(lastStatement(), `torvane\t{cancelled before its end: ${backup}}`);
    assert.strictEqual(backedUp(), '0');
    await stillWorks(client);
  }));

test('a request time-out during a running procedure is acknowledged and the connection goes on', () =>
  duringSlowBackup({ requestTimeout: 1000 }, async (client) => {
    const error = await started(client, backup);
    assert.strictEqual(error?.code, 'ETIMEOUT', String(error));
    assert.strictEqual(backedUp(), '0');
    await stillWorks(client);
  }));

test('a cancel reaches a statement waiting for another session\'s lock', () =>
  whileLocked({}, async (client, holder) => {
    const outcome = started(client, backup);
    await sleep(300);
    client.cancel();
    const error = await outcome;
    assert.strictEqual(error?.code, 'ECANCEL', String(error));
    await stillWorks(client);
    await holder.release();
    // The lock is gone with its transaction: the same statement runs through.
    assert.deepStrictEqual((await query(client, backup)).rows[0], ['D17_DailySale', 1]);
  }));

test('a request time-out fires during a lock wait and leaves the open transaction open', () =>
  whileLocked({ requestTimeout: 1000 }, async (client) => {
    await new Promise((resolve, reject) => client.beginTransaction((error) => (error ? reject(error) : resolve())));
    const since = Date.now();
    const error = await started(client, backup);
    assert.strictEqual(error?.code, 'ETIMEOUT', String(error));
    assert.ok(Date.now() - since < 3000, 'the time-out came late');
    // As SQL Server with XACT_ABORT off: only the statement ends; the
    // transaction stays for the client to end (no 3903 on its rollback).
    await new Promise((resolve, reject) => client.rollbackTransaction((e) => (e ? reject(e) : resolve())));
    await stillWorks(client);
  }));
