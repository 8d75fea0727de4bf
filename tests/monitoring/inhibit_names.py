"""Every alertname an inhibit rule matches on names at least one alert of the
rules file, so that a renamed alert cannot leave an inhibit rule silencing
nothing. Exit 77 (a skip) without PyYAML."""
import re
import sys

try:
    import yaml
except ImportError:
    print("PyYAML is not installed")
    sys.exit(77)

rules_file, alertmanager_file = sys.argv[1:3]
with open(rules_file) as f:
    alerts = [r["alert"] for g in yaml.safe_load(f)["groups"] for r in g["rules"] if "alert" in r]
with open(alertmanager_file) as f:
    inhibits = yaml.safe_load(f)["inhibit_rules"]

failures = []
for number, rule in enumerate(inhibits, 1):
    for side in ("source_matchers", "target_matchers"):
        for matcher in rule.get(side, []):
            m = re.fullmatch(r'alertname\s*(=~|=)\s*"(.*)"', matcher)
            if not m:
                continue
            operator, value = m.groups()
            alternatives = value.split("|") if operator == "=~" else [value]
            for alternative in alternatives:
                pattern = alternative if operator == "=~" else re.escape(alternative)
                if not any(re.fullmatch(pattern, a) for a in alerts):
                    failures.append(f"inhibit rule {number}, {side}: {alternative} names no alert")
    if "instance" not in rule.get("equal", []):
        failures.append(f"inhibit rule {number} silences other stations too (equal lacks instance)")

print("\n".join(failures) or f"{len(inhibits)} inhibit rules name {len(alerts)} alerts' names correctly")
sys.exit(1 if failures else 0)
