"""The crash soak's checks find what they are there to find."""
import unittest

from soak_audit import Delivery, Sale, audit

TODAY = "2026-12-09"


def live(i, day=TODAY):
    return Delivery(i, 6, f"{day} 10:00:00.000")


def offline(i, day=TODAY):
    return Delivery(i, 14, f"{day} 10:00:00.000")


def sale(i, n, day=TODAY):
    return Sale(i, f"INV/C9/x/{n}", f"{day} 10:00:00.000")


class AuditTest(unittest.TestCase):
    def test_every_delivery_carried_once_passes(self):
        findings = audit([live(1), offline(2)], [sale(1, 1), sale(2, 2)], 2, TODAY)
        self.assertEqual(findings.problems(), [])

    def test_a_due_delivery_without_a_sale_is_lost_up_to_the_snapshot_only(self):
        findings = audit([live(1), offline(2), live(3)], [sale(1, 1)], 2, TODAY)
        self.assertEqual(findings.lost, [2])
        self.assertIn("lost (no daily sale): Delivery_ID 2", findings.problems())

    def test_an_offline_delivery_of_a_day_gone_by_is_not_due(self):
        findings = audit([offline(1, "2026-12-08"), live(2, "2026-12-08")], [], 2, TODAY)
        self.assertEqual((findings.lost, findings.not_due), ([2], [1]))

    def test_two_sales_of_one_delivery_are_duplicated_whatever_the_snapshot(self):
        findings = audit([live(1), live(2)], [sale(1, 1), sale(2, 2), sale(2, 3)], 1, TODAY)
        self.assertEqual(findings.duplicated, [2])

    def test_an_invoice_number_twice_in_a_day_is_repeated_but_not_across_days(self):
        sales = [sale(1, 1), sale(2, 1), sale(3, 1, "2026-12-08")]
        findings = audit([live(1), live(2), live(3, "2026-12-08")], sales, 3, TODAY)
        self.assertEqual(findings.repeated, [(TODAY, "INV/C9/x/1")])
        self.assertEqual(findings.lost, [])


if __name__ == "__main__":
    unittest.main()
