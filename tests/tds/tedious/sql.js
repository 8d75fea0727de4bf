'use strict';
// The SQL that Microsoft's clients send beyond VANTROK's own statements:
// implicit transactions with carry's lock, parameters by name, the catalog
// procedures, row counts, @@VERSION, USE, isolation levels and a reset.

const { test, before, after } = require('node:test');
const assert = require('node:assert');
const { tedious, startStation, connect } = require('./station.js');

const { TYPES, Request } = tedious;

const lockDay = "select count(*) from D17_DailySale with (tablockx, holdlock) " +
    "where S_Date>='24-Nov-2016' and S_Date<'25-Nov-2016'";
const salesOfDay = "select Delivery_ID,S_Date,VocNo from D17_DailySale " +
    "where S_Date>='24-Nov-2016' and S_Date<'25-Nov-2016'";
const invoiceOfDay = "select 'INV/'+'C9/',ISNULL(MAX(CAST(REVERSE(LEFT(REVERSE(VocNo), " +
    "CHARINDEX('/',REVERSE(VocNo))-1)) AS INT)),0)+1 from D17_DailySale where " +
    "CAST(RTRIM(LTRIM(CAST(DAY(S_Date) AS CHAR(2))))+'-'+CAST(DATENAME(MONTH,S_Date) AS CHAR(3))+'-'+" +
    "CAST(YEAR(S_Date) AS CHAR(4)) AS DATETIME)='24-Nov-2016' AND LEFT(VocNo,6)='INV/C9'";

// The daily-sale procedure's parameters with a sale's values, in reverse of
// the declared order: the server has to match them by name.
function saleParameters(voucher, deliveryId) {
    const money = { precision: 18, scale: 2 };
    return [
        ['Exported', TYPES.Int, 0], ['Cancelled', TYPES.Int, 0], ['Printed', TYPES.Int, 0], ['Posted', TYPES.Int, 1],
        ['Meter_Value', TYPES.Decimal, 1000.5, money], ['Meter_Volume', TYPES.Decimal, 700.25, { precision: 18, scale: 3 }],
        ['Hose_No', TYPES.Int, 1], ['Delivery_ID', TYPES.Int, deliveryId],
        ['Qty_Litres', TYPES.Decimal, 30.5, { precision: 18, scale: 3 }], ['Remarks', TYPES.VarChar, ''],
        ['Tax', TYPES.Decimal, 0, money], ['Discount', TYPES.Decimal, 0, money], ['Amount', TYPES.Decimal, 44.5, money],
        ['Rate', TYPES.Decimal, 1.459, { precision: 18, scale: 3 }],
        ['Qty_Gallons', TYPES.Decimal, 6.7093, { precision: 18, scale: 4 }], ['PayMode', TYPES.VarChar, 'CASH'],
        ['SaleType', TYPES.VarChar, 'CASH'], ['ShiftNo', TYPES.VarChar, '1'], ['UserName', TYPES.VarChar, 'VANTROK'],
        ['Pump_No', TYPES.Int, 1], ['FuelTypeCode', TYPES.VarChar, 'F1'], ['CustCode', TYPES.VarChar, 'CASH'],
        ['S_Date', TYPES.DateTime, new Date(Date.UTC(2016, 10, 24, 9, 30))], ['VocNo', TYPES.VarChar, voucher],
    ];
}

// Runs a request; resolves with its rows, its total count, the counts of its
// DONE tokens and the tokens' current commands, and its return status.
function run(connection, request, how) {
    return new Promise((resolve, reject) => {
        const result = { rows: [], rowCount: 0, counts: [], commands: [], returnStatus: undefined };
        // tedious's token debugging shows each DONE with its current command.
        const tokenWatch = message => {
            const plain = message.replace(/\x1b\[[0-9;]*m/g, '');
            const done = /^Done(?:InProc)?Token \{[\s\S]*?curCmd: (\d+)/.exec(plain);
            if (done) result.commands.push(Number(done[1]));
        };
        connection.on('debug', tokenWatch);
        request.callback = (err, rowCount) => {
            connection.removeListener('debug', tokenWatch);
            if (err) return reject(err);
            result.rowCount = rowCount;
            resolve(result);
        };
        request.on('row', columns => result.rows.push(columns.map(c => c.value)));
        for (const event of ['done', 'doneInProc', 'doneProc'])
            request.on(event, (count, more) => { if (count !== undefined) result.counts.push(count); });
        request.on('returnValue', (name, value) => { result[name] = value; });
        request.on('doneProc', (count, more, status) => { result.returnStatus = status; });
        how(request);
    });
}

function callProcedure(connection, name, parameters) {
    const request = new Request(name, () => {});
    for (const [parameter, type, value, options] of parameters) request.addParameter(parameter, type, value, options);
    return run(connection, request, r => connection.callProcedure(r));
}

function execSql(connection, sql, parameters) {
    const request = new Request(sql, () => {});
    for (const [parameter, type, value, options] of parameters) request.addParameter(parameter, type, value, options);
    return run(connection, request, r => connection.execSql(r));
}

function batch(connection, sql) {
    const request = new Request(sql, () => {});
    return run(connection, request, r => connection.execSqlBatch(r));
}

// As a batch, the way drivers send SET, USE and transaction statements: in
// sp_executesql they would last only to its end.
async function query(connection, sql) {
    return batch(connection, sql);
}

async function tranCount(connection) {
    return (await query(connection, 'select @@TRANCOUNT')).rows[0][0];
}

// Resolves when the promise has settled within `ms`; false while it is still pending.
function settlesWithin(promise, ms) {
    return Promise.race([promise.then(() => true, () => true), new Promise(r => setTimeout(() => r(false), ms))]);
}

let station;
const watched = { options: { debug: { token: true } } };

function argument(name) {
    return process.argv[process.argv.indexOf(name) + 1];
}

before(async () => { station = await startStation({ tool: argument('--station'), work: argument('--work') }); });
after(async () => { if (station) await station.stop(); });

test('implicit transactions hold carry\'s lock and sale until commit, and a rollback undoes the sale', async () => {
    const carry = await connect(station.port, watched);
    const other = await connect(station.port);
    try {
        await query(carry, 'set implicit_transactions on');
        assert.strictEqual(await tranCount(carry), 0, 'SELECT @@TRANCOUNT itself begins nothing');
        assert.deepStrictEqual((await query(carry, lockDay)).rows, [[0]]);
        assert.strictEqual(await tranCount(carry), 1, 'the lock statement began a transaction');
        const sale = await callProcedure(carry, 'INS_UPD_D17_DailySale1', saleParameters('INV/C9/241116/1', 7));
        assert.strictEqual(sale.returnStatus, 0);
        assert.deepStrictEqual(sale.counts.slice(0, 2), [0, 1], 'the update found none, the insert wrote one');

        const invoice = query(other, invoiceOfDay);
        assert.strictEqual(await settlesWithin(invoice, 400), false, 'the invoice query waits for the lock');
        await query(carry, 'IF @@TRANCOUNT > 0 COMMIT TRAN');
        assert.deepStrictEqual((await invoice).rows, [['INV/C9/', 2]]);
        assert.strictEqual(await tranCount(carry), 0);

        await query(carry, lockDay);
        await callProcedure(carry, 'INS_UPD_D17_DailySale1', saleParameters('INV/C9/241116/2', 8));
        await query(carry, 'IF @@TRANCOUNT > 0 ROLLBACK TRAN');
        assert.strictEqual(await tranCount(carry), 0);
        await query(carry, 'IF @@TRANCOUNT > 0 ROLLBACK TRAN');  // nothing open: nothing happens
        assert.deepStrictEqual((await query(other, salesOfDay)).rows.map(r => r[2]), ['INV/C9/241116/1']);

        await query(carry, 'set implicit_transactions off');
        await query(carry, salesOfDay);
        assert.strictEqual(await tranCount(carry), 0, 'auto-commit again');
    } finally {
        carry.close();
        other.close();
    }
});

test('named transactions nest, and COMMIT or ROLLBACK without one is SQL Server\'s error', async () => {
    const c = await connect(station.port);
    try {
        await query(c, 'BEGIN TRAN carry');
        await query(c, 'begin transaction');
        assert.strictEqual(await tranCount(c), 2);
        await query(c, 'COMMIT TRAN');
        assert.strictEqual(await tranCount(c), 1, 'the inner commit only counts down');
        await assert.rejects(query(c, 'ROLLBACK TRAN other'), { number: 6401 });
        await query(c, 'ROLLBACK TRAN carry');
        assert.strictEqual(await tranCount(c), 0);
        await assert.rejects(query(c, 'COMMIT TRAN'), { number: 3902 });
        await assert.rejects(query(c, 'ROLLBACK'), { number: 3903 });
        await query(c, 'set implicit_transactions on');
        await query(c, 'BEGIN TRAN');
        assert.strictEqual(await tranCount(c), 2, 'with implicit transactions a BEGIN opens two');
        await query(c, 'ROLLBACK');
        // The transaction manager's begin with a name, its length in bytes.
        await new Promise((resolve, reject) => c.beginTransaction(err => (err ? reject(err) : resolve()), 'carry_tm'));
        assert.strictEqual(await tranCount(c), 1);
        await new Promise((resolve, reject) => c.commitTransaction(err => (err ? reject(err) : resolve())));
        assert.strictEqual(await tranCount(c), 0);
    } finally {
        c.close();
    }
});

test('parameters by name in any order, with SQL Server\'s errors for unknown and missing ones', async () => {
    const c = await connect(station.port);
    try {
        const call = await callProcedure(c, 'dbo.INS_UPD_D17_DailySale1', saleParameters('INV/C9/241116/3', 9));
        assert.strictEqual(call.returnStatus, 0);
        // sp_executesql: the statement names them in the declared order, the values come reversed.
        const declared = saleParameters('INV/C9/241116/4', 10).reverse().map(p => '@' + p[0]);
        const byName = await execSql(c, 'exec INS_UPD_D17_DailySale1 ' + declared.join(','),
                                     saleParameters('INV/C9/241116/4', 10));
        assert.deepStrictEqual(byName.counts.slice(0, 2), [0, 1]);
        const vouchers = (await query(c, salesOfDay)).rows.map(r => r[2]);
        assert.ok(vouchers.includes('INV/C9/241116/3') && vouchers.includes('INV/C9/241116/4'), vouchers.join());

        const unknown = saleParameters('INV/C9/241116/5', 11).concat([['Colour', TYPES.VarChar, 'red']]);
        await assert.rejects(callProcedure(c, 'INS_UPD_D17_DailySale1', unknown),
                             { number: 8145, message: '@Colour is not a parameter for procedure INS_UPD_D17_DailySale1.' });
        const missing = saleParameters('INV/C9/241116/5', 11).filter(p => p[0] !== 'Rate');
        await assert.rejects(callProcedure(c, 'INS_UPD_D17_DailySale1', missing), { number: 201 });
        await assert.rejects(execSql(c, 'exec INS_UPD_D17_DailySale1 @Undeclared', []), { number: 137 });

        // An output parameter the statement does not assign comes back as it went, after the return status.
        const request = new Request('select @@TRANCOUNT', () => {});
        request.addParameter('day', TYPES.DateTime, new Date(Date.UTC(2016, 10, 24)));
        request.addOutputParameter('voucher', TYPES.VarChar, 'INV/C9/241116/9');
        request.addOutputParameter('amount', TYPES.Decimal, 44.5, { precision: 18, scale: 2 });
        const output = await run(c, request, r => c.execSql(r));
        assert.strictEqual(output.voucher, 'INV/C9/241116/9');
        assert.strictEqual(output.amount, 44.5);
        assert.deepStrictEqual(output.rows, [[0]]);
    } finally {
        c.close();
    }
});

test('the catalog procedures describe the station\'s procedures in SQL Server\'s layout', async () => {
    const c = await connect(station.port);
    try {
        for (const procedure of ['sp_sproc_columns', 'sp_sproc_columns_100']) {
            const columns = await callProcedure(c, procedure, [['procedure_name', TYPES.NVarChar, 'INS_UPD_D17_DailySale1']]);
            assert.strictEqual(columns.rows.length, 25, procedure);
            assert.deepStrictEqual(columns.rows[0].slice(2, 5), ['INS_UPD_D17_DailySale1;1', '@RETURN_VALUE', 5]);
            assert.deepStrictEqual(columns.rows[11].slice(3, 8), ['@Rate', 1, 3, 'decimal', 18], procedure);
        }
        const procedures = await callProcedure(c, 'sp_stored_procedures', []);
        assert.deepStrictEqual(procedures.rows.map(r => r[2]).sort(),
                               ['INS_UPD_D17_DailySale1;1', 'SYNX_TWO_DB_TO_BK1_BK2;1']);
        assert.deepStrictEqual(procedures.rows[0].slice(0, 2), ['torvane', 'dbo']);
        const one = await callProcedure(c, 'sp_stored_procedures', [['sp_name', TYPES.NVarChar, 'SYNX%']]);
        assert.deepStrictEqual(one.rows.map(r => r[2]), ['SYNX_TWO_DB_TO_BK1_BK2;1']);
    } finally {
        c.close();
    }
});

test('DONE tokens carry the statement\'s command and count', async () => {
    const c = await connect(station.port, watched);
    try {
        await callProcedure(c, 'INS_UPD_D17_DailySale1', saleParameters('INV/C9/241116/20', 20));
        const renumber = await batch(c, "update D17_DailySale set VocNo='INV/C9/241116/21' where " +
            "VocNo='INV/C9/241116/20' and Delivery_ID=20 and S_Date>='24-Nov-2016' and S_Date<'25-Nov-2016'");
        assert.strictEqual(renumber.rowCount, 1);
        assert.deepStrictEqual(renumber.commands, [0xC5], 'UPDATE');
        const none = await batch(c, "update D17_DailySale set VocNo='X' where VocNo='none' and Delivery_ID=1 " +
            "and S_Date>='24-Nov-2016' and S_Date<'25-Nov-2016'");
        assert.strictEqual(none.rowCount, 0);
        const sale = await callProcedure(c, 'INS_UPD_D17_DailySale1', saleParameters('INV/C9/241116/22', 22));
        assert.deepStrictEqual(sale.commands.slice(0, 2), [0xC5, 0xC3], 'the procedure\'s UPDATE, then its INSERT');
        const read = await batch(c, salesOfDay);
        assert.deepStrictEqual(read.commands, [0xC1], 'SELECT');
    } finally {
        c.close();
    }
});

test('@@VERSION, USE, isolation levels and a connection reset answer as SQL Server does', async () => {
    const c = await connect(station.port);
    try {
        const version = (await query(c, 'SELECT @@VERSION')).rows[0][0];
        assert.match(version, /^Microsoft SQL Server 2022 \(RTM\) - 16\.0\.\d+\.\d+ \(X64\)/);

        let database;
        c.on('databaseChange', name => { database = name; });
        await query(c, 'USE enablerdb');
        assert.strictEqual(database, 'enablerdb');
        await assert.rejects(query(c, 'select max(S_Date) as Last_S_Date from D17_DailySale'), { number: 208 });
        await assert.rejects(query(c, 'USE [nowhere]'), { number: 911 });
        await query(c, 'use [torvane];');
        assert.strictEqual(database, 'torvane');
        await query(c, 'USE enablerdb');

        for (const level of ['READ UNCOMMITTED', 'READ COMMITTED', 'REPEATABLE READ', 'SNAPSHOT', 'SERIALIZABLE'])
            await query(c, `SET TRANSACTION ISOLATION LEVEL ${level}`);
        await assert.rejects(query(c, 'SET TRANSACTION ISOLATION LEVEL CHAOS'), { number: 102 });

        // The reset ends the transaction, implicit transactions and the USE.
        await query(c, 'use torvane');
        await query(c, 'set implicit_transactions on');
        await query(c, lockDay);
        await assert.rejects(query(c, 'USE enablerdb'), { number: 226 }, 'a USE would drop the transaction');
        await new Promise((resolve, reject) => c.reset(err => (err ? reject(err) : resolve())));
        assert.strictEqual(await tranCount(c), 0);
        await query(c, lockDay);
        assert.strictEqual(await tranCount(c), 0, 'implicit transactions are off again');
        await query(c, 'USE enablerdb');
        await new Promise((resolve, reject) => c.reset(err => (err ? reject(err) : resolve())));
        assert.strictEqual((await query(c, 'select max(S_Date) as Last_S_Date from D17_DailySale')).rows.length, 1,
                           'back in the login\'s database');
    } finally {
        c.close();
    }
});
