#!/usr/bin/env bash
# Installs what is missing, builds everything and runs the whole test suite through CTest.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

install_packages
build_project
cd "$BUILD_DIR"
ctest --output-on-failure -j "$(nproc 2>/dev/null || echo 2)" "$@"
