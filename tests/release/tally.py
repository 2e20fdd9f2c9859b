"""The count of a release check script: each check passes or is a failure named and
printed at once; the closing line says how many of each (the plain "N passed, N failed"
that CTest's output shows), and the script's status is 1 when any failed."""
failures = []
passed = 0


def check(condition, what):
    global passed
    if condition:
        passed += 1
    else:
        failures.append(what)
        print("FAILED:", what)


def finish():
    print(f"{passed} passed, {len(failures)} failed")
    return 1 if failures else 0
