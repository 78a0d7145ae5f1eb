#!/usr/bin/env python3
"""kest-output.schema.json beside the README describes what `kest ports`, `kest check`,
`kest srec-check`, `kest lookup-build` and the transfers write with --json, and the documents
say what the text output says: a stand-in sysfs tree with a USB adapter and its
/dev/serial/by-id link, projects with and without values out of range, good and damaged
object programs, and transfers against kestemu on one port, on several, and as a station.

usage: check_output_schema.py KEST SCHEMA [KESTEMU]"""
import json
import os
import signal
import subprocess
import sys
import tempfile
import time

try:
    import jsonschema
except ImportError:
    print("python3-jsonschema is not installed (scripts/install-deps.sh installs it)")
    sys.exit(77)

kest, schema_path = sys.argv[1], sys.argv[2]
kestemu = sys.argv[3] if len(sys.argv) > 3 else None
schema = json.load(open(schema_path, encoding="utf-8"))


def validator(part):
    return jsonschema.Draft202012Validator({**schema, "oneOf": [{"$ref": f"#/$defs/{part}"}]})


def run(*args, status=0):
    r = subprocess.run([kest, *args], capture_output=True, text=True)
    if r.returncode != status:
        sys.exit(f"kest {' '.join(args)}: status {r.returncode}, expected {status}: {r.stderr}")
    return r.stdout


def valid(part, doc, what):
    errors = list(validator(part).iter_errors(doc))
    if errors:
        sys.exit(f"{what}: {errors[0].json_path}: {errors[0].message}")
    return doc


def checked(part, *args, status=0):
    return valid(part, json.loads(run(*args, "--json", status=status)), f"kest {' '.join(args)} --json")


def emulator(folder, *options):
    """A kestemu on its own link in folder, once it says it is ready."""
    os.makedirs(folder)
    link = f"{folder}/tty"
    process = subprocess.Popen([kestemu, "--link", link, "--state", f"{folder}/state", *options],
                               stdout=subprocess.PIPE, text=True)
    expect(process.stdout.readline() == f"kestemu: ready on {link}\n", f"kestemu on {link} did not start")
    return process, link


def expect(condition, what):
    if not condition:
        sys.exit(what)


with tempfile.TemporaryDirectory() as tmp:
    # A USB adapter in sysfs, and udev's stable link to it.
    usb = f"{tmp}/sys/devices/usb1/1-1"
    port = f"{usb}/1-1:1.0/ttyUSB0"
    os.makedirs(f"{port}/tty/ttyUSB0")
    os.makedirs(f"{tmp}/sys/class/tty")
    os.makedirs(f"{tmp}/sys/bus/usb-serial/drivers/ftdi_sio")
    for name, value in {"idVendor": "0403", "idProduct": "6001", "product": "FT232R USB UART",
                        "manufacturer": "FTDI", "serial": "A700eYzC"}.items():
        open(f"{usb}/{name}", "w").write(value + "\n")
    os.symlink(f"{tmp}/sys/bus/usb-serial/drivers/ftdi_sio", f"{port}/driver")
    os.symlink(port, f"{port}/tty/ttyUSB0/device")
    os.symlink(f"{port}/tty/ttyUSB0", f"{tmp}/sys/class/tty/ttyUSB0")
    os.makedirs(f"{tmp}/by-id")
    stable = f"{tmp}/by-id/usb-FTDI_FT232R_USB_UART_A700eYzC-if00-port0"
    os.symlink("../../ttyUSB0", stable)

    ports = checked("ports", "ports", "--sysfs", f"{tmp}/sys", "--by-id", f"{tmp}/by-id")["ports"]
    expect(ports == [{"name": "/dev/ttyUSB0", "stableName": stable, "driver": "ftdi_sio",
                      "description": "FT232R USB UART (FTDI) 0403:6001 serial A700eYzC",
                      "usbId": "0403:6001", "usbSerial": "A700eYzC"}], f"ports: {ports}")
    text = run("ports", "--sysfs", f"{tmp}/sys", "--by-id", f"{tmp}/by-id")
    expect(text.split()[0] == "/dev/ttyUSB0" and text.split()[-1] == stable, f"ports as text: {text}")
    expect(checked("ports", "ports", "--sysfs", f"{tmp}/sys")["ports"][0]["stableName"] is None,
           "a port without a by-id link has no stable name")

    # A new project is clean; one with a field type of 40 is not.
    run("new", f"{tmp}/p.agx")
    doc = checked("check", "check", f"{tmp}/p.agx")
    expect(doc["outOfRange"] == [] and doc["olderLayout"] is False, f"check: {doc}")
    project = json.loads(run("show", "--json", f"{tmp}/p.agx"))
    project["forms"][2]["lines"][4]["type"] = 40
    project["forms"][2]["lines"][4].pop("typeName", None)
    open(f"{tmp}/bad.json", "w").write(json.dumps(project))
    run("build", f"{tmp}/bad.json", "-o", f"{tmp}/bad.agx")
    doc = checked("check", "check", f"{tmp}/bad.agx", status=1)
    lines = run("check", f"{tmp}/bad.agx", status=1).splitlines()
    expect([f"{tmp}/bad.agx: offset {f['offset']}: {f['path']} {f['what']}" for f in doc["outOfRange"]] == lines,
           f"check --json and its text differ: {doc} / {lines}")

    # Object programs: two ranges and an S8 end; a damaged checksum.
    open(f"{tmp}/prog.shx", "w").write("S30900020000DEADBEEFBC\r\nS30900030000DEADBEEFBB\r\nS804020000F9\r\n")
    doc = checked("srecCheck", "srec-check", f"{tmp}/prog.shx")
    expect(doc["dataBytes"] == 8 and doc["endRecord"] == "S8" and doc["startAddress"] == 0x20000
           and doc["ranges"] == [{"first": 0x20000, "last": 0x20003, "bytes": 4},
                                 {"first": 0x30000, "last": 0x30003, "bytes": 4}], f"srec-check: {doc}")
    open(f"{tmp}/bad.shx", "w").write("S30900020000DEADBEEFBD\r\nS70500020000F8\r\n")
    doc = checked("srecCheck", "srec-check", f"{tmp}/bad.shx", status=2)
    expect(doc["ok"] is False and doc["error"]["line"] == 1, f"srec-check of a damaged file: {doc}")

    # A table for a lookup of two divided fields: written, then refused for an over-long value.
    project = json.loads(run("show", "--json", f"{tmp}/p.agx"))
    project["lookups"][0].update(fieldCount=2, separator=59)
    project["lookups"][0]["fields"][0]["length"] = 4
    project["lookups"][0]["fields"][1]["length"] = 6
    open(f"{tmp}/lookup.json", "w").write(json.dumps(project))
    run("build", f"{tmp}/lookup.json", "-o", f"{tmp}/lookup.agx")
    open(f"{tmp}/t.csv", "w", encoding="utf-8").write("4711,Mutter\n4711,Scheibe\n")
    doc = checked("lookupBuild", "lookup-build", f"{tmp}/lookup.agx", "--lookup", "1", f"{tmp}/t.csv",
                  "-o", f"{tmp}/t.txt", "--cut")
    expect(doc["records"] == 2 and doc["cut"] == 1 and doc["warnings"][0]["otherLine"] == 1, f"lookup-build: {doc}")
    doc = checked("lookupBuild", "lookup-build", f"{tmp}/lookup.agx", "--lookup", "1", f"{tmp}/t.csv",
                  "-o", f"{tmp}/u.txt", status=2)
    expect(doc["problems"][0]["column"] == 2 and not os.path.exists(f"{tmp}/u.txt"), f"lookup-build refused: {doc}")

    # Received records: a form of a number; two alike of a text and a stamp; a menu title; a
    # line no form fits.
    project = json.loads(run("show", "--json", f"{tmp}/p.agx"))
    project["settings"]["delimiter1"] = 59
    for form in (0, 1, 2):
        project["forms"][form]["lines"][0].update(type=2 if form == 0 else 1, prompt="Artikel")
        project["forms"][form]["lines"][0].pop("typeName", None)
        if form:
            project["forms"][form]["stamp"].update(position=2)
            project["forms"][form]["stamp"].pop("positionName", None)
    project["menus"][0].update(titleEnabled=True, title="Inventur", saveTitle=True)
    open(f"{tmp}/records.json", "w").write(json.dumps(project))
    run("build", f"{tmp}/records.json", "-o", f"{tmp}/records.agx")
    open(f"{tmp}/DATA.TXT", "w", newline="").write("4711\r\n4711;2026.12.08;14:03:11\r\nInventur\r\nx;y\r\n")
    doc = checked("records", "records", f"{tmp}/DATA.TXT", "--project", f"{tmp}/records.agx",
                  "-o", f"{tmp}/out.jsonl", status=1)
    expect(doc["records"] == 4 and doc["groups"] == {"Maske-1": 1, "Menue-1": 1} and doc["ambiguous"] == [2]
           and doc["unmatched"] == [4], f"records: {doc}")
    kinds = []
    for line in open(f"{tmp}/out.jsonl", encoding="utf-8"):
        record = json.loads(line)
        errors = list(validator("recordLine").iter_errors(record))
        if errors:
            sys.exit(f"kest records --format json: {errors[0].json_path}: {errors[0].message}")
        kinds.append(record["kind"])
    expect(kinds == ["form", "ambiguous", "menu", "unmatched"], f"records' kinds: {kinds}")

    if kestemu:
        started = []
        try:
            direct, link = emulator(f"{tmp}/a", "--direct", "--records", f"{tmp}/records.txt")
            cradle, cradleLink = emulator(f"{tmp}/c")
            started += [direct, cradle]
            open(f"{tmp}/records.txt", "w").write("4711;12\r\n0815;3\r\n")
            # One port: the transfer's own object.
            t = checked("transfer", "download", f"{tmp}/p.agx", "-p", link)
            expect(t["result"] == "ok" and t["done"] == 200 and t["bytes"] == 20000 and t["file"] == f"{tmp}/p.agx",
                   f"download: {t}")
            t = checked("transfer", "flash", f"{tmp}/prog.shx", "-p", link)
            expect(t["result"] == "ok" and t["done"] == t["total"] == 8, f"flash: {t}")
            t = checked("transfer", "cradle", "-p", cradleLink, "-b", "38400")
            expect(t["cradleBaud"] == 9600 and t["baud"] == 38400, f"cradle: {t}")
            os.makedirs(f"{tmp}/daten")
            t = checked("transfer", "upload", "-o", f"{tmp}/daten/", "-p", link)
            expect(t["done"] == 2 and open(t["file"], newline="").read() == "4711;12\r\n0815;3\r\n", f"upload: {t}")
            # Several ports, one of them missing: every transfer, and the most severe status.
            doc = checked("transfers", "lookup", f"{tmp}/t.txt", "-p", f"{link},{tmp}/fehlt", status=3)
            expect([t["result"] for t in doc["transfers"]] == ["ok", "port-failed"] and doc["status"] == 3,
                   f"lookup on two ports: {doc}")
            # A station, stopped once it has served its terminal.
            os.makedirs(f"{tmp}/station")
            station = subprocess.Popen([kest, "upload", "--wait", "-o", f"{tmp}/station/", "-p", link, "--json"],
                                       stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
            for _ in range(500):
                if os.listdir(f"{tmp}/station"):
                    break
                time.sleep(0.02)
            station.send_signal(signal.SIGINT)
            out, err = station.communicate(timeout=20)
            expect(station.returncode == 130, f"the station ended with {station.returncode}: {err}")
            doc = valid("transfers", json.loads(out), "kest upload --wait --json")
            expect(doc["status"] == 130 and doc["transfers"][0]["done"] == 2, f"station: {doc}")
        finally:
            for process in started:
                process.terminate()
                process.wait()
print("ports, check, srec-check, lookup-build, records and the transfers write JSON that matches the schema")
