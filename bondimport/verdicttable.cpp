#include "bondimport/verdicttable.h"

#include "bondimport/bondimporttexts.h"
#include "model/format.h"
#include "uikit/datetext.h"
#include "uikit/strings.h"

namespace tenvix::ui {

namespace {

const char* const kHeadings[BondVerdictTable::kColumns] = {"Line",    "ID",      "Verdict",  "Coupon", "Face",
                                                           "Price",   "Release", "Maturity", "Reason"};

// The record a verdict stands for: the one it stores, or the database's
// that it leaves as it is.
const CBondStd* RecordOf(const BondVerdict& v)
{
    if (v.bond)
        return dynamic_cast<const CBondStd*>(v.bond.get());
    if (v.kind == BondVerdictKind::Unchanged)
        return dynamic_cast<const CBondStd*>(v.target->get());
    return nullptr;
}

} // namespace

void BondVerdictTable::SetVerdicts(const std::vector<BondVerdict>* verdicts, bool records)
{
    beginResetModel();
    m_verdicts = verdicts;
    m_bRecords = records;
    endResetModel();
}

BondVerdictTable::Column BondVerdictTable::ColumnAt(int section) const
{
    if (!m_bRecords && section == kColCoupon)
        return kColReason;
    return section >= 0 && section < columnCount() ? static_cast<Column>(section) : kColumns;
}

int BondVerdictTable::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || !m_verdicts ? 0 : static_cast<int>(m_verdicts->size());
}

int BondVerdictTable::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_bRecords ? kColumns : 4;
}

QVariant BondVerdictTable::data(const QModelIndex& index, int role) const
{
    if (!m_verdicts || !index.isValid() || index.row() >= rowCount())
        return {};
    const BondVerdict& v = (*m_verdicts)[static_cast<std::size_t>(index.row())];
    const Column column = ColumnAt(index.column());
    if (role == Qt::TextAlignmentRole && column >= kColCoupon && column <= kColPrice)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    const CBondStd* record = column >= kColCoupon && column <= kColMaturity ? RecordOf(v) : nullptr;
    switch (column) {
    case kColLine:
        return Qs(FormatInteger(v.line));
    case kColId:
        return Qs(v.id);
    case kColVerdict:
        return QString::fromLatin1(bondimport::VerdictWord(v.kind));
    case kColReason:
        return Qs(BondRefusalText(v));
    case kColCoupon:
        return record ? Qs(FormatAmount(record->m_fCoupon)) : QString();
    case kColFace:
        return record ? Qs(FormatAmount(record->m_fFace)) : QString();
    case kColPrice:
        return record ? Qs(FormatAmount(record->m_fPrice)) : QString();
    case kColRelease:
        return record ? FormatDate(record->m_nRelease) : QString();
    case kColMaturity:
        return record ? FormatDate(record->m_nMaturity) : QString();
    case kColumns:
        break;
    }
    return {};
}

QVariant BondVerdictTable::headerData(int section, Qt::Orientation orientation, int role) const
{
    const Column column = ColumnAt(section);
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || column == kColumns)
        return {};
    return QString::fromLatin1(kHeadings[column]);
}

} // namespace tenvix::ui
