#pragma once

namespace vantrok::sim::driver {

// A connection attribute of this driver (the first of the driver-specific
// range, SQL_DRIVER_CONN_ATTR_BASE + 1), for benchmarks that must tell the
// station's own time apart from their client's. Setting it starts a new
// count from zero: with 1 the connection counts the processor time its calls
// spend inside the station's engine, with 0 it counts nothing. Read as a
// SQLULEN, it gives the nanoseconds counted so far.
inline constexpr int engineTimeAttribute = 0x4001;

}  // namespace vantrok::sim::driver
