#pragma once

// The ODBC prototypes this driver defines are its exports; everything else in
// the library stays hidden (the library is built with hidden visibility).
#pragma GCC visibility push(default)
#include <sql.h>
#include <sqlext.h>
#include <odbcinst.h>
#pragma GCC visibility pop
