-- A station's own SQL Server login for VANTROK and vantrok-check, with
-- exactly the rights they need and nothing more: no role membership, no
-- rights on the backup databases, no DELETE, no schema-wide grants.
--
-- Run once per station by an administrator of the server (a member of
-- sysadmin), with the login's name and password in sqlcmd scripting
-- variables taken from the environment, so the password is on no command line:
--
--   set STATION_LOGIN=vantrok_station
--   set STATION_PASSWORD=...
--   sqlcmd -S (LOCAL) -E -b -i station-login.sql
--
-- Run again, it sets the password anew and grants what is missing.

USE master;
IF SUSER_ID(N'$(STATION_LOGIN)') IS NULL
    CREATE LOGIN [$(STATION_LOGIN)] WITH PASSWORD = N'$(STATION_PASSWORD)',
        DEFAULT_DATABASE = torvane, CHECK_POLICY = ON, CHECK_EXPIRATION = OFF;
ELSE
    ALTER LOGIN [$(STATION_LOGIN)] WITH PASSWORD = N'$(STATION_PASSWORD)';
GO

-- The forecourt controller's database: read only.
USE enablerdb;
IF DATABASE_PRINCIPAL_ID(N'$(STATION_LOGIN)') IS NULL
    CREATE USER [$(STATION_LOGIN)] FOR LOGIN [$(STATION_LOGIN)] WITH DEFAULT_SCHEMA = dbo;
-- The deliveries VANTROK imports, and vantrok-check reconciles and carries.
GRANT SELECT ON OBJECT::dbo.Hose_Delivery TO [$(STATION_LOGIN)];
-- Each delivery's pump and hose number, joined to the deliveries.
GRANT SELECT ON OBJECT::dbo.Hoses TO [$(STATION_LOGIN)];
GO

-- The sales database.
USE torvane;
IF DATABASE_PRINCIPAL_ID(N'$(STATION_LOGIN)') IS NULL
    CREATE USER [$(STATION_LOGIN)] FOR LOGIN [$(STATION_LOGIN)] WITH DEFAULT_SCHEMA = dbo;
-- The daily sales: the next invoice number, the selections' exclusion of
-- deliveries already carried (read from enablerdb by the three-part name, so
-- the user above is needed as well), the reconciliation's readings, the
-- status probe's last sale and carry's lock of the table (a table hint needs
-- no right of its own).
GRANT SELECT ON OBJECT::dbo.D17_DailySale TO [$(STATION_LOGIN)];
-- carry gives a sale the next free number when another write took its own.
GRANT UPDATE ON OBJECT::dbo.D17_DailySale TO [$(STATION_LOGIN)];
-- The hose master, fuel types and tanks: each delivery's fuel type, and
-- the reconciliation's hoses.
GRANT SELECT ON OBJECT::dbo.D10_Hose TO [$(STATION_LOGIN)];
GRANT SELECT ON OBJECT::dbo.d1_fueltype TO [$(STATION_LOGIN)];
GRANT SELECT ON OBJECT::dbo.d9_tank TO [$(STATION_LOGIN)];
-- Writes each daily sale (VANTROK and carry); the procedure owns the table it
-- writes, so no INSERT is granted. The right also lets the login see the
-- procedure's parameters, which both programs read before the first call.
GRANT EXECUTE ON OBJECT::dbo.INS_UPD_D17_DailySale1 TO [$(STATION_LOGIN)];
-- The backup VANTROK runs every 10 s. The procedure copies into torvane_bk1
-- and torvane_bk2: if it fails there with error 229 or 916 under this login,
-- the server does not chain ownership across databases for it; give the
-- procedure that (its owner's business) rather than this login rights there.
GRANT EXECUTE ON OBJECT::dbo.SYNX_TWO_DB_TO_BK1_BK2 TO [$(STATION_LOGIN)];
GO
