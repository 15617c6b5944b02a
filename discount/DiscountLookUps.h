#pragma once
#include "db/Connection.h"
#include <QString>

// The read-only look-ups behind each discount policy. Names and codes compare as the clinic's
// database always has: ASCII case and trailing blanks do not matter.
namespace discount
{

// The member data of a patient, from 病人简历表.
struct MemberData {
    int isMember = 0;   // IS_VIP; 1 = member
    QString rankName;   // VIP_Rank_Name
    QString memberCode; // VIP_Code
};

// Reads the patient's member flag, rank and code; rankRate becomes the rank's rate for a
// member (1.0 when the rank is unknown) and 1.0 for anyone else. A non-member's rank name is
// cleared. Returns 0.
int LookUpMember(db::Connection& c, const QString& patientNumber, MemberData& member, double& rankRate);

// The rate of a member rank (Discount_table), rounded to three decimals; 1.0 when unknown.
double LookUpRankRate(db::Connection& c, const QString& rankName);

// The value of a money card (MoneyCard_Table), rounded to three decimals; 0.0 when unknown.
double LookUpMoneyCardValue(db::Connection& c, const QString& cardName);

// The fee-volume band whose bounds strictly enclose amount: rate becomes its Discout rounded
// to five decimals and the result is 0. With no such band the rate is left as it was and the
// result is 1. By this receipt's amount (DiscountCurrente_table) or by the cumulative fees
// (DiscountAccout_table).
int LookUpCurrentFeeRate(db::Connection& c, double& rate, double amount);
int LookUpCumulativeFeeRate(db::Connection& c, double& rate, double amount);

// The rate of the points band (Grade_shengji_Calculate_table, strict bounds) of the member
// account linked to the patient; 1.0 without account, points or band. hasAccount, when given,
// tells whether a linked account was found.
double LookUpPointsRate(db::Connection& c, const QString& patientNumber, bool* hasAccount = nullptr);

} // namespace discount

// The checkouts apply the policies as their own.
namespace settle {
using namespace discount;
}
