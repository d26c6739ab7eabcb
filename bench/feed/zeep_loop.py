# SPDX-License-Identifier: MIT
"""Drives python3-zeep the way a poll drives our client: a fresh client per
call. Usage: zeep_loop.py WSDL_PATH ENDPOINT CALLS [reuse]
Prints the CPU seconds (user+sys) that this process spent in the loop."""
import sys
import time

import zeep

wsdl, endpoint, calls = sys.argv[1], sys.argv[2], int(sys.argv[3])
reuse = len(sys.argv) > 4 and sys.argv[4] == "reuse"


def call(client):
    service = client.create_service("{urn:HelloWorld}HelloWorldBinding", endpoint)
    return service.Signal(0, "")


# One warm-up call so that imports and first-use costs stay out of the loop.
shared = zeep.Client(wsdl)
call(shared)
start = time.process_time()
for _ in range(calls):
    reply = call(shared if reuse else zeep.Client(wsdl))
    if not reply.startswith("(Symbol:"):
        sys.exit("unexpected reply: %r" % reply[:80])
print("%.6f" % (time.process_time() - start))
