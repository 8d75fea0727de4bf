"""What a crash-restart soak checks after each round, from the station's rows.

Kept apart from the processes that make the rounds, so that the checks
themselves can be tested on rows made up for the purpose."""
import collections
from dataclasses import dataclass, field

LIVE = 6
OFFLINE = 14


@dataclass(frozen=True)
class Delivery:
    delivery_id: int
    delivery_type: int
    completed: str  # "YYYY-MM-DD hh:mm:ss.fff"


@dataclass(frozen=True)
class Sale:
    delivery_id: int
    voucher: str
    sale_date: str  # S_Date, "YYYY-MM-DD hh:mm:ss.fff"


@dataclass
class Findings:
    lost: list = field(default_factory=list)          # due Delivery_IDs without a daily sale
    duplicated: list = field(default_factory=list)    # Delivery_IDs with more than one daily sale
    repeated: list = field(default_factory=list)      # (day, voucher) written more than once
    not_due: list = field(default_factory=list)       # offline deliveries of a day gone by

    def problems(self):
        lines = []
        if self.lost:
            lines.append(f"lost (no daily sale): Delivery_ID {', '.join(map(str, self.lost))}")
        if self.duplicated:
            lines.append(f"duplicated (more than one daily sale): Delivery_ID {', '.join(map(str, self.duplicated))}")
        if self.repeated:
            lines.append("repeated invoice numbers: " + ", ".join(f"{v} on {d}" for d, v in self.repeated))
        return lines


def due(delivery, today):
    """Whether an import still selects a delivery the traffic recorded: every
    live one (cleared at once), an offline one on its own day only."""
    if delivery.delivery_type == LIVE:
        return True
    return delivery.delivery_type == OFFLINE and delivery.completed[:10] == today


def audit(deliveries, sales, up_to_id, today):
    """Every due delivery up to up_to_id carried once; no Delivery_ID and no
    invoice number of a day written twice, among all the sales."""
    findings = Findings()
    carried = collections.Counter(sale.delivery_id for sale in sales)
    for delivery in sorted(deliveries, key=lambda d: d.delivery_id):
        if delivery.delivery_id > up_to_id:
            continue
        if not due(delivery, today):
            if not carried[delivery.delivery_id]:
                findings.not_due.append(delivery.delivery_id)
        elif not carried[delivery.delivery_id]:
            findings.lost.append(delivery.delivery_id)
    findings.duplicated = sorted(i for i, n in carried.items() if n > 1)
    vouchers = collections.Counter((sale.sale_date[:10], sale.voucher) for sale in sales)
    findings.repeated = sorted(key for key, n in vouchers.items() if n > 1)
    return findings
