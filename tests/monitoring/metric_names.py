"""Every vantrok_* metric the alert rules and the dashboard query is one the
probe writes, so that a renamed or misspelt metric cannot leave a panel empty
or an alert silent for good."""
import json
import re
import sys

probe_source, rules_file, dashboard_file = sys.argv[1:4]
name = re.compile(r"\bvantrok_[a-z_]+\b")
with open(probe_source) as f:
    exported = set(re.findall(r'"(vantrok_[a-z_]+)', f.read()))


def expressions(node):
    if isinstance(node, dict):
        for key, value in node.items():
            if key in ("expr", "definition") and isinstance(value, str):
                yield value
            else:
                yield from expressions(value)
    elif isinstance(node, list):
        for item in node:
            yield from expressions(item)


with open(rules_file) as f:
    rules = f.read()
with open(dashboard_file) as f:
    dashboard = json.load(f)
used = {(n, "rules") for n in name.findall(re.sub(r"#.*", "", rules))}
used |= {(n, "dashboard") for e in expressions(dashboard) for n in name.findall(e)}
unknown = sorted(f"{where}: {n}" for n, where in used if n not in exported)
print("\n".join(unknown) or f"{len(used)} uses of {len(exported)} exported metrics, all known")
sys.exit(1 if unknown else 0)
