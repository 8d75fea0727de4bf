'use strict';
// What every tedious conformance script shares: a fresh station served on a
// free port, a connection logged in as VANTROK logs in, and a query.
//
//   node SCRIPT --station PATH-TO-vantrok-station --work DIR
//
// A script that cannot load tedious exits with 77, which ctest takes as a skip.

const { spawn, execFileSync } = require('node:child_process');
const fs = require('node:fs');
const path = require('node:path');

let tedious;
try {
  tedious = require('tedious');
} catch (error) {
  console.log(`SKIP: tedious cannot be loaded (${error.message.split('\n')[0]}); ./vantrok test installs it from npm`);
  process.exit(77);
}

// The station's login, as db/ConnectionTexts.h has it.
const password = 'qolvent4719ruk';

function argument(name) {
  const at = process.argv.indexOf(name);
  if (at < 0 || at + 1 >= process.argv.length) throw new Error(`missing argument ${name}`);
  return process.argv[at + 1];
}

// The station and the work folder named on the command line.
function commandLine() {
  return { tool: argument('--station'), work: argument('--work') };
}

async function startStation({ tool, work, serveArgs = [] }) {
  fs.mkdirSync(work, { recursive: true });
  const dir = fs.mkdtempSync(path.join(work, 'station-'));
  execFileSync(tool, ['init', dir], { stdio: ['ignore', 'ignore', 'inherit'] });
  const server = spawn(tool, ['serve', dir, '--port', '0', ...serveArgs], { stdio: ['ignore', 'pipe', 'inherit'] });
  const port = await new Promise((resolve, reject) => {
    let seen = '';
    const onData = (chunk) => {
      seen += chunk;
      const match = /listening on 127\.0\.0\.1:(\d+)/.exec(seen);
      if (match) {
        server.stdout.off('data', onData);
        resolve(Number(match[1]));
      }
    };
    server.stdout.on('data', onData);
    server.once('exit', (code) => reject(new Error(`vantrok-station serve ended (${code}) before it listened`)));
    server.once('error', reject);
  });
  return {
    port,
    dir,
    // Ends the server and removes the station.
    async stop() {
      if (server.exitCode === null) {
        await new Promise((resolve) => {
          server.once('exit', () => resolve());
          server.kill('SIGTERM');
        });
      }
      fs.rmSync(dir, { recursive: true, force: true });
    },
  };
}

function connect(port, { database = 'torvane', options = {} } = {}) {
  const connection = new tedious.Connection({
    server: '127.0.0.1',
    authentication: { type: 'default', options: { userName: 'sa', password } },
    options: { port, database, encrypt: false, connectTimeout: 10000, ...options },
  });
  return new Promise((resolve, reject) => {
    connection.connect((error) => (error ? reject(error) : resolve(connection)));
  });
}

// Runs one batch; rows as arrays of their columns' values.
function query(connection, sql) {
  return new Promise((resolve, reject) => {
    const rows = [];
    const request = new tedious.Request(sql, (error, rowCount) => (error ? reject(error) : resolve({ rows, rowCount })));
    request.on('row', (columns) => rows.push(columns.map((column) => column.value)));
    connection.execSql(request);
  });
}

module.exports = { tedious, commandLine, startStation, connect, query };
