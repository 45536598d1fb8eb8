#!/usr/bin/env bash
# Succeeds when this machine runs wine's 32-bit side. Some machines (virtual
# ones among them) run no 32-bit programs at all; there only wine64 works.
exec /usr/lib/wine/wine --version >/dev/null 2>&1
