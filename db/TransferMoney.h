#pragma once
#include <QString>

namespace db {

// An amount in Chinese capital numerals as printed on receipts ("人民币大写"): 壹仟零伍元伍角整,
// 壹拾万柒仟元零叁分, 负伍拾元整, 零元整. Rounded to the fen first ("%.2f"). Writing follows the
// accounting rules for capital amounts: "壹拾" not "拾"; one "零" for a run of zeros inside
// the yuan; no "零" where a section (万, 元) ends in zeros but the next digit is a thousand;
// "零" before 分 when 角 is zero; "整" after 元 or 角, never after 分; amounts under one yuan
// start at 角 or 分. An amount that is not a finite number of less than 10^16 yuan has no
// capital form: the text is empty.
QString TransferMoney(double amount);

} // namespace db
