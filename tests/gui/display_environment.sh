# Sourced by the virtual-display tests, on the display: how the program under AddressSanitizer
# is run there. Expects $suppressions, the leak suppression file.
export QT_QPA_PLATFORM=xcb
# No session bus on the virtual display. Without an address libdbus would start one through
# a forked helper, and the fork of a process under AddressSanitizer can hang on a lock that
# another thread held: the program then waits for the bus for ever and shows no window.
export DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/session-bus
export ASAN_OPTIONS=detect_leaks=1
export LSAN_OPTIONS=suppressions=$suppressions:print_suppressions=0
