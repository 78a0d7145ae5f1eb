#!/usr/bin/env python3
"""The JSON Schema beside the README describes what `kest show --json` writes: a new project,
random ones (every byte random, so every value out of range and every cell with bytes after
its zero) and texts the schema must refuse.

usage: check_project_schema.py KEST SCHEMA"""
import json
import random
import subprocess
import sys
import tempfile

try:
    import jsonschema
except ImportError:
    print("python3-jsonschema is not installed (scripts/install-deps.sh installs it)")
    sys.exit(77)

kest, schema_path = sys.argv[1], sys.argv[2]
validator = jsonschema.Draft202012Validator(json.load(open(schema_path, encoding="utf-8")))
rng = random.Random(5)

with tempfile.TemporaryDirectory() as tmp:
    def shown(data):
        path = tmp + "/p.agx"
        with open(path, "wb") as f:
            f.write(data)
        return json.loads(subprocess.run([kest, "show", "--json", path], capture_output=True, check=True).stdout)

    subprocess.run([kest, "new", tmp + "/new.agx"], check=True)
    documents = [shown(open(tmp + "/new.agx", "rb").read())]
    for _ in range(8):
        data = bytearray(rng.randbytes(18942))
        data[0:10] = b"KEST-1.00\0"
        data[18842:] = bytes(100)
        documents.append(shown(bytes(data)))
    for i, doc in enumerate(documents):
        errors = list(validator.iter_errors(doc))
        if errors:
            sys.exit(f"document {i}: {errors[0].json_path}: {errors[0].message}")

    refused = {
        "an unknown key": lambda d: d["settings"].update(largeTitle=True),
        "a missing table": lambda d: d.pop("texts"),
        "a byte of 256": lambda d: d["forms"][0]["lines"][0].update(type=256),
        "nine lines": lambda d: d["forms"][0]["lines"].append(d["forms"][0]["lines"][0]),
        "odd hexadecimal digits": lambda d: d["settings"].update(reserved="ABC"),
        "another tag": lambda d: d.update(tag="Qvx-4.00"),
    }
    for what, change in refused.items():
        doc = json.loads(json.dumps(documents[0]))
        change(doc)
        if validator.is_valid(doc):
            sys.exit(f"the schema accepts {what}")
print(f"{len(documents)} documents match the schema")
