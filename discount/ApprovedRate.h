#pragma once
#include <QString>

namespace discount
{

// The rate a superior approved for a standard-item receipt ("允许折扣值"): 0 to 1, both included.
inline constexpr double kApprovedRateDefault = 1.0;
inline const QString kApprovedRateRange = QStringLiteral("请输入一个介于0和1之间的数。");
inline bool isApprovedRate(double rate) { return rate >= 0.0 && rate <= 1.0; }

} // namespace discount

// The checkouts apply the policies as their own.
namespace settle {
using namespace discount;
}
