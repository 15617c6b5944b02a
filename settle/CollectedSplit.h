#pragma once

namespace settle
{

// What is left owing once a checkout collects, worked out in fen from the rounded amounts: a
// discounted amount with a third decimal must not leave a phantom fen of credit or debt.
double arrearsAfter(double discounted, double collected, double otherFree);

// The split the payment dialog made holds only for the amount it was made for. Once what is
// collected changes, a method other than cash whose cash and method amount no longer add up to
// it is stale: the checkout drops it (back to cash) so no method is charged a different amount.
bool splitIsStale(int method, double methodAmount, double cash, double collected);

} // namespace settle
