// db/OdbcSql_win.h: the ODBC headers as Windows has them (odbc32); they use the Windows
// types, so <windows.h> comes first.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
// clang-format off: sql.h needs windows.h before it
#include <sql.h>
#include <sqlext.h>
// clang-format on
