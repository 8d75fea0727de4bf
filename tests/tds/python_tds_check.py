#!/usr/bin/env python3
"""Checks the station's TDS endpoint with a second, independent client:
Debian's python3-tds (pytds), which shares no code with FreeTDS.

  python_tds_check.py --station vantrok-station --work DIR

Makes a station, serves it on a free port and checks, with the values they
return: a wrong login, the live and offline selections, the invoice and
fuel-type queries, the daily-sale procedure called by RPC with typed
parameters, and the backup procedure's row set; then the same client with
TLS (pytds encrypts when given a certificate to trust): the whole session
encrypted, a time-out's attention through it, and the login alone encrypted.
"""
import argparse
import csv
import datetime
import decimal
import io
import os
import shutil
import subprocess
import sys

import pytds

PASSWORD = "qolvent4719ruk"
DELIVERY = {"volume": "45.460", "price": "1.459", "value": "66.33", "completed": "2016-11-25 17:42:30"}


class Failure(Exception):
    pass


def check(condition, what):
    if not condition:
        raise Failure(what)


def station(args, *words):
    result = subprocess.run([args.station, words[0], args.dir, *words[1:]], capture_output=True, text=True)
    if result.returncode != 0:
        raise Failure(f"vantrok-station {' '.join(words)}: {result.stderr.strip()}")
    return result.stdout


def connect(port, database, password=PASSWORD, timeout=30, **tls):
    return pytds.connect(server="127.0.0.1", port=port, database=database, user="sa", password=password,
                         autocommit=True, login_timeout=10, timeout=timeout, **tls)


def last_login(args):
    with open(os.path.join(args.dir, "logins.log")) as log:
        return log.read().splitlines()[-1]


def live_selection(month, year):
    # Spelled out on its own, as the program sends it.
    return ("select Hose_Delivery.*,Hoses.Pump_ID,Hoses.Hose_Number  S_Hose_ID from Hose_Delivery  left outer join "
            "Hoses on Hose_Delivery.Hose_ID=Hoses.Hose_ID where delivery_type in ('6') and "
            f"month(Cleared_Date_Time)='{month}' and year(Cleared_Date_Time)='{year}' AND Cleared_Date_Time is not "
            "null and Delivery_ID NOT IN (select distinct isnull(Delivery_ID,0) from torvane.dbo.d17_dailysale where "
            f"month(s_date)='{month}' and year(s_date)='{year}') order by cast(delivery_id as int) asc")


def offline_selection(day, month, year):
    return ("select Hose_Delivery.*,Hoses.Pump_ID,Hoses.Hose_Number  S_Hose_ID from Hose_Delivery  left outer join "
            f"Hoses on Hose_Delivery.Hose_ID=Hoses.Hose_ID where delivery_type in ('14') and day(Completed_TS)='{day}' "
            f"and month(Completed_TS)='{month}' and year(Completed_TS)='{year}' AND Delivery_ID NOT IN (select "
            "distinct isnull(Delivery_ID,0) from torvane.dbo.d17_dailysale where "
            f"day(S_Date)='{day}' and month(s_date)='{month}' and year(s_date)='{year}')")


def invoice_query(date):
    return ("select 'INV/'+'C9/',ISNULL(MAX(CAST(REVERSE(LEFT(REVERSE(VocNo), CHARINDEX('/',REVERSE(VocNo))-1)) AS "
            "INT)),0)+1 from D17_DailySale where CAST(RTRIM(LTRIM(CAST(DAY(S_Date) AS CHAR(2))))+'-'+CAST(DATENAME("
            f"MONTH,S_Date) AS CHAR(3))+'-'+CAST(YEAR(S_Date) AS CHAR(4)) AS DATETIME)='{date}' AND "
            "LEFT(VocNo,6)='INV/C9'")


def fuel_type_query(pump, hose):
    return ("select d1.fueltypecode from D10_Hose d1 left outer join d1_fueltype d2 on "
            "d1.fueltypecode=d2.fueltypecode left outer join d9_tank d3 on d1.tank_no=d3.tank_no where "
            f"d1.pump_no='{pump}' and d1.hose_number='{hose}'")


def check_login(port):
    try:
        connect(port, "torvane", password="wrong").close()
    except pytds.Error as error:
        check(getattr(error, "msg_no", None) == 18456 or "18456" in str(error) or "Login failed" in str(error),
              f"a wrong password is refused as SQL Server refuses it, not with {error!r}")
    else:
        raise Failure("a wrong password logged in")


def check_selections(port, delivery_id, offline_id):
    with connect(port, "enablerdb") as conn, conn.cursor() as cursor:
        today = datetime.date.today()
        cursor.execute(offline_selection(today.day, today.month, today.year))
        rows = cursor.fetchall()
        check([row[0] for row in rows] == [offline_id], f"the offline selection finds today's delivery: {rows}")
        cursor.execute(live_selection(11, 2016))
        columns = [c[0] for c in cursor.description]
        rows = cursor.fetchall()
        check(len(rows) == 1, f"the live selection finds the one delivery, not {rows}")
        row = dict(zip(columns, rows[0]))
        check(row["Delivery_ID"] == delivery_id and row["Pump_ID"] == 1 and row["S_Hose_ID"] == 1,
              f"the delivery's id, pump and hose: {row}")
        check(row["Delivery_Volume"] == decimal.Decimal(DELIVERY["volume"]),
              f"the volume comes as an exact decimal with its scale: {row['Delivery_Volume']!r}")
        check(row["Completed_TS"] == datetime.datetime(2016, 11, 25, 17, 42, 30),
              f"the completion time comes as a datetime: {row['Completed_TS']!r}")
    with connect(port, "torvane") as conn, conn.cursor() as cursor:
        cursor.execute(invoice_query("25-Nov-2016"))
        check(cursor.fetchall() == [("INV/C9/", 1)], "the day's first invoice number")
        cursor.execute(fuel_type_query(1, 1))
        check(cursor.fetchall() == [("ULP",)], "pump 1, hose 1 sells ULP")


def check_procedures(args, port, delivery_id):
    values = ["INV/C9/251116/1", datetime.datetime(2016, 11, 25, 17, 42, 30), "", "ULP", 1, "Admin", "1", "1",
              "9", decimal.Decimal("10.0000"), decimal.Decimal("1.459"), decimal.Decimal("66.33"), "0", "0", "",
              decimal.Decimal("45.460"), delivery_id, 1, decimal.Decimal("1045.460"), decimal.Decimal("1566.33"),
              "0", 0, "0", None]
    with connect(port, "torvane") as conn, conn.cursor() as cursor:
        cursor.callproc("INS_UPD_D17_DailySale1", values)
        while cursor.nextset():
            pass
        check(cursor.get_proc_return_status() == 0, "the procedure returns 0")
        cursor.execute("EXEC SYNX_TWO_DB_TO_BK1_BK2")
        plan = dict(cursor.fetchall())
        check(plan.get("D17_DailySale") == 1, f"the backup's row set counts the new sale: {plan}")
        while cursor.nextset():
            pass
    sales = list(csv.DictReader(io.StringIO(station(args, "sales"))))
    check(len(sales) == 1, f"one daily sale is stored, not {len(sales)}")
    sale = sales[0]
    expected = {"VocNo": "INV/C9/251116/1", "S_Date": "2016-11-25 17:42:30.000", "FuelTypeCode": "ULP",
                "Pump_No": "1", "Qty_Gallons": "10.0000", "Rate": "1.459", "Amount": "66.33",
                "Qty_Litres": "45.460", "Delivery_ID": str(delivery_id), "Meter_Volume": "1045.460",
                "Exported": ""}
    for name, value in expected.items():
        check(sale[name] == value, f"the sale's {name} is {value!r}, not {sale[name]!r}")


def check_encryption(args, port):
    # The station's own certificate is the authority that signed it. pytds
    # matches host names against DNS names only, and the station is reached
    # by its address.
    trusted = {"cafile": os.path.join(args.dir, "tls.pem"), "validate_host": False}
    with connect(port, "torvane", **trusted) as conn, conn.cursor() as cursor:
        check(last_login(args) == "torvane\tsa\tsession encrypted", f"the session is encrypted: {last_login(args)!r}")
        cursor.execute(fuel_type_query(1, 1))
        check(cursor.fetchall() == [("ULP",)], "a query through TLS")
        # The query time-out's attention comes through TLS too, and the
        # session goes on after its acknowledgement.
        station(args, "fault", "backup-seconds", "5")
        conn._conn.sock.settimeout(1)
        try:
            cursor.execute("EXEC SYNX_TWO_DB_TO_BK1_BK2")
            while cursor.nextset():
                pass
        except (pytds.TimeoutError, TimeoutError, OSError):
            pass
        else:
            raise Failure("a backup of 5 s passed a time-out of 1 s")
        finally:
            station(args, "fault", "backup-seconds", "0")
        conn._conn.sock.settimeout(30)
        cursor.execute(fuel_type_query(1, 1))
        check(cursor.fetchall() == [("ULP",)], "the session goes on after the cancel")
    with connect(port, "enablerdb", enc_login_only=True, **trusted) as conn, conn.cursor() as cursor:
        check(last_login(args) == "enablerdb\tsa\tlogin encrypted", f"the login alone is encrypted: {last_login(args)!r}")
        today = datetime.date.today()
        cursor.execute(offline_selection(today.day, today.month, today.year))
        check(len(cursor.fetchall()) == 1, "after the login, the session goes on in clear")
    with connect(port, "torvane") as conn:
        check(last_login(args) == "torvane\tsa\tclear", "a client that cannot encrypt logs in in clear")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--station", required=True)
    parser.add_argument("--work", required=True)
    args = parser.parse_args()
    shutil.rmtree(args.work, ignore_errors=True)
    os.makedirs(args.work)
    args.dir = os.path.join(args.work, "station")
    station(args, "init")
    delivery_id = int(station(args, "delivery", "--type", "6", "--pump", "1", "--hose", "1",
                              "--volume", DELIVERY["volume"], "--price", DELIVERY["price"],
                              "--value", DELIVERY["value"], "--completed", DELIVERY["completed"]).strip())
    # An offline delivery completed now, not cleared.
    offline_id = int(station(args, "delivery", "--type", "14", "--pump", "2", "--hose", "1", "--volume", "10.000",
                             "--price", "1.459", "--value", "14.59", "--uncleared").strip())
    server = subprocess.Popen([args.station, "serve", args.dir, "--port", "0"], stdout=subprocess.PIPE, text=True)
    try:
        line = server.stdout.readline()
        check(line.startswith("listening on 127.0.0.1:"), f"the endpoint listens: {line!r}")
        port = int(line.strip().rsplit(":", 1)[1])
        check_login(port)
        check_selections(port, delivery_id, offline_id)
        check_procedures(args, port, delivery_id)
        check_encryption(args, port)
    except (Failure, pytds.Error) as failure:
        print("FAILED:", failure, file=sys.stderr)
        return 1
    finally:
        server.terminate()
        server.wait(timeout=10)
    print("passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
