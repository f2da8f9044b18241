// db/OdbcSql_posix.h: the ODBC headers of the unixODBC driver manager.
#pragma once

#include <sql.h>
#include <sqlext.h>
