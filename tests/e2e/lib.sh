# SPDX-License-Identifier: MIT
# Shared by the end-to-end scripts; sourced, not run.

# wait_until SECONDS CONDITION: polls CONDITION (a shell command) ten times a
# second until it holds or SECONDS have passed; never a fixed long sleep.
wait_until() {
    tries=$(($1 * 10))
    while [ "$tries" -gt 0 ]; do
        if eval "$2"; then
            return 0
        fi
        tries=$((tries - 1))
        sleep 0.1
    done
    return 1
}
