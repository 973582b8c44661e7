#include "streams/dashreader.h"

#include <cmath>
#include <limits>
#include <optional>

#include "streams/dashnode.h"
#include "streams/dashtemplate.h"
#include "streams/isoduration.h"
#include "streams/streamaddress.h"
#include "streams/streamlimits.h"
#include "streams/streamslog.h"

namespace {

const QString kTemplate = QStringLiteral("SegmentTemplate");
const QString kList = QStringLiteral("SegmentList");
const QString kBase = QStringLiteral("SegmentBase");

struct PeriodTime
{
    double dStart = 0;
    std::optional<double> dDuration;
};

// Whether a run's segment times stay far from overflowing.
bool Fits(const DashSegmentPlan::Run &run)
{
    constexpr quint64 uLimit = quint64(1) << 62;
    return run.uTime < uLimit && (run.uCount == 0 || run.uDuration <= (uLimit - run.uTime) / run.uCount);
}

class Reader
{
public:
    explicit Reader(const QUrl &address) : m_address(address.adjusted(QUrl::RemoveFragment)) {}

    DashManifest Run(const QByteArray &xml);

private:
    // Each returns false once m_result has been refused.
    bool Fail(const QString &sWhat);
    bool Refuse(StreamRefusal refusal);
    bool BaseOf(const DashNode &node, QUrl &base);
    std::optional<QList<PeriodTime>> PeriodTimes(const QList<const DashNode *> &periods,
                                                 std::optional<double> dTotal);
    bool ReadPeriod(const DashNode &period, const QUrl &base, const PeriodTime &time,
                    QList<DashRepresentation> &representations);
    bool Plan(const QList<const DashNode *> &levels, const PeriodTime &time, DashSegmentPlan &plan);
    bool PlanTemplate(const QList<const DashNode *> &levels, const PeriodTime &time, DashSegmentPlan &plan);
    bool PlanList(const DashNode &list, DashSegmentPlan &plan);
    bool Number(const DashNode &node, const QString &sName, quint64 uDefault, quint64 &uValue);
    std::optional<StreamFragment> Piece(const QUrl &base, const DashNode &node, const QString &sUrlName,
                                        const QString &sRangeName);
    bool Join(const QList<QList<DashRepresentation>> &periods);

    QUrl m_address;
    DashManifest m_result;
};

bool Reader::Fail(const QString &sWhat)
{
    return Refuse(StreamRefusal::Malformed(sWhat));
}

bool Reader::Refuse(StreamRefusal refusal)
{
    qCDebug(lcStreams) << "DASH manifest" << m_address.toDisplayString() << "refused:" << refusal.sReason;
    m_result = DashManifest();
    m_result.refusal = std::move(refusal);
    return false;
}

bool Reader::BaseOf(const DashNode &node, QUrl &base)
{
    const DashNode *baseUrl = node.Child(QStringLiteral("BaseURL"));
    if (!baseUrl || baseUrl->sText.trimmed().isEmpty())
        return true;
    const std::optional<QUrl> url = StreamAddress::Resolve(base, baseUrl->sText);
    if (!url)
        return Fail(QStringLiteral("a BaseURL that is no web address"));
    base = *url;
    return true;
}

bool Reader::Number(const DashNode &node, const QString &sName, quint64 uDefault, quint64 &uValue)
{
    if (!node.Has(sName)) {
        uValue = uDefault;
        return true;
    }
    bool bOk = false;
    uValue = node.Value(sName).trimmed().toULongLong(&bOk);
    // Far beyond any real timescale or time, and far from overflowing the
    // sums the timeline makes.
    return bOk && uValue < (quint64(1) << 53) ? true : Fail(QStringLiteral("a broken %1").arg(sName));
}

DashManifest Reader::Run(const QByteArray &xml)
{
    QString sError;
    const std::optional<DashNode> root = DashNode::Parse(xml, sError);
    if (!root) {
        Fail(sError);
        return m_result;
    }
    if (root->sName != QLatin1StringView("MPD")) {
        Fail(QStringLiteral("no MPD element"));
        return m_result;
    }
    if (root->Value(QStringLiteral("type")) == QLatin1StringView("dynamic")) {
        Refuse(StreamRefusal::Live());
        return m_result;
    }
    // Its segments are encrypted for a DRM system, whichever is chosen.
    if (root->Contains(QStringLiteral("ContentProtection"))) {
        Refuse(StreamRefusal::Protected());
        return m_result;
    }
    std::optional<double> dTotal;
    if (root->Has(QStringLiteral("mediaPresentationDuration"))) {
        dTotal = IsoDuration::Seconds(root->Value(QStringLiteral("mediaPresentationDuration")));
        if (!dTotal) {
            Fail(QStringLiteral("a broken mediaPresentationDuration"));
            return m_result;
        }
    }
    QUrl base = m_address;
    if (!BaseOf(*root, base))
        return m_result;
    const QList<const DashNode *> periods = root->Children(QStringLiteral("Period"));
    const std::optional<QList<PeriodTime>> times = PeriodTimes(periods, dTotal);
    if (!times)
        return m_result;
    QList<QList<DashRepresentation>> perPeriod;
    for (qsizetype i = 0; i < periods.size(); ++i) {
        QList<DashRepresentation> representations;
        if (!ReadPeriod(*periods.at(i), base, times->at(i), representations))
            return m_result;
        if (!representations.isEmpty())
            perPeriod.append(representations);
    }
    if (!Join(perPeriod))
        return m_result;
    m_result.dDuration = dTotal.value_or(0);
    if (!dTotal) {
        for (const PeriodTime &time : *times)
            m_result.dDuration += time.dDuration.value_or(0);
    }
    return m_result;
}

std::optional<QList<PeriodTime>> Reader::PeriodTimes(const QList<const DashNode *> &periods,
                                                     std::optional<double> dTotal)
{
    QList<PeriodTime> times(periods.size());
    QList<bool> started(periods.size(), false);
    for (qsizetype i = 0; i < periods.size(); ++i) {
        std::optional<double> dStart;
        for (const auto &[sName, dValue] : {std::pair{"start", &dStart}, {"duration", &times[i].dDuration}}) {
            const QString sKey = QLatin1StringView(sName);
            if (!periods.at(i)->Has(sKey))
                continue;
            *dValue = IsoDuration::Seconds(periods.at(i)->Value(sKey));
            if (!*dValue) {
                Fail(QStringLiteral("a broken Period %1").arg(sKey));
                return std::nullopt;
            }
        }
        times[i].dStart = dStart.value_or(0);
        started[i] = dStart.has_value();
        if (!started.at(i) && i > 0 && times.at(i - 1).dDuration) {
            times[i].dStart = times.at(i - 1).dStart + *times.at(i - 1).dDuration;
            started[i] = true;
        }
    }
    for (qsizetype i = 0; i < periods.size(); ++i) {
        if (times.at(i).dDuration)
            continue;
        if (i + 1 < periods.size() && started.at(i + 1))
            times[i].dDuration = times.at(i + 1).dStart - times.at(i).dStart;
        else if (i + 1 == periods.size() && dTotal)
            times[i].dDuration = *dTotal - times.at(i).dStart;
        if (times.at(i).dDuration && *times.at(i).dDuration < 0) {
            Fail(QStringLiteral("Periods that overlap"));
            return std::nullopt;
        }
    }
    return times;
}

bool Reader::ReadPeriod(const DashNode &period, const QUrl &periodParent, const PeriodTime &time,
                        QList<DashRepresentation> &representations)
{
    QUrl periodBase = periodParent;
    if (!BaseOf(period, periodBase))
        return false;
    for (const DashNode *set : period.Children(QStringLiteral("AdaptationSet"))) {
        QUrl setBase = periodBase;
        if (!BaseOf(*set, setBase))
            return false;
        bool bMain = false;
        for (const DashNode *role : set->Children(QStringLiteral("Role")))
            bMain = bMain || role->Value(QStringLiteral("value")) == QLatin1StringView("main");
        for (const DashNode *node : set->Children(QStringLiteral("Representation"))) {
            // A Representation's own attribute, else its AdaptationSet's.
            const auto value = [&](const char *sName) {
                const QString sKey = QLatin1StringView(sName);
                return node->Has(sKey) ? node->Value(sKey) : set->Value(sKey);
            };
            DashRepresentation representation;
            representation.sId = node->Value(QStringLiteral("id"));
            representation.lBandwidth = qMax(0LL, node->Value(QStringLiteral("bandwidth")).toLongLong());
            representation.iWidth = qMax(0, value("width").toInt());
            representation.iHeight = qMax(0, value("height").toInt());
            representation.sCodecs = value("codecs");
            representation.sMimeType = value("mimeType");
            representation.sContentType = value("contentType");
            if (representation.sContentType.isEmpty())
                representation.sContentType = representation.sMimeType.section(u'/', 0, 0);
            representation.bMainRole = bMain;

            DashSegmentPlan plan;
            plan.base = setBase;
            plan.sRepresentationId = representation.sId;
            plan.lBandwidth = representation.lBandwidth;
            if (!BaseOf(*node, plan.base) || !Plan({node, set, &period}, time, plan))
                return false;
            if (plan.Count() > quint64(kMaxStreamFragments))
                return Refuse(StreamRefusal::TooLarge());
            representation.plans.append(plan);
            representations.append(representation);
        }
    }
    return true;
}

bool Reader::Plan(const QList<const DashNode *> &levels, const PeriodTime &time, DashSegmentPlan &plan)
{
    // The innermost level that says how decides; a template's attributes are
    // inherited from the templates of the levels around it.
    for (const DashNode *level : levels) {
        if (level->Child(kTemplate))
            return PlanTemplate(levels, time, plan);
        if (const DashNode *list = level->Child(kList))
            return PlanList(*list, plan);
        if (level->Child(kBase))
            break;
    }
    // SegmentBase, or nothing: the BaseURL is the whole file.
    plan.kind = DashSegmentPlan::Kind::WholeFile;
    if (plan.base == m_address)
        return Refuse(StreamRefusal::SelfReference());
    return true;
}

bool Reader::PlanTemplate(const QList<const DashNode *> &levels, const PeriodTime &time,
                          DashSegmentPlan &plan)
{
    DashNode merged;
    const DashNode *timeline = nullptr;
    for (auto it = levels.crbegin(); it != levels.crend(); ++it) {
        const DashNode *segmentTemplate = (*it)->Child(kTemplate);
        if (!segmentTemplate)
            continue;
        merged.attributes.insert(segmentTemplate->attributes);
        if (const DashNode *own = segmentTemplate->Child(QStringLiteral("SegmentTimeline")))
            timeline = own;
    }
    plan.kind = DashSegmentPlan::Kind::Template;
    plan.sMedia = merged.Value(QStringLiteral("media"));
    plan.sInitialization = merged.Value(QStringLiteral("initialization"));
    quint64 uDuration = 0;
    if (!Number(merged, QStringLiteral("startNumber"), 1, plan.uStartNumber)
        || !Number(merged, QStringLiteral("timescale"), 1, plan.uTimescale)
        || !Number(merged, QStringLiteral("presentationTimeOffset"), 0, plan.uPresentationTimeOffset)
        || !Number(merged, QStringLiteral("duration"), 0, uDuration))
        return false;
    if (plan.sMedia.isEmpty() || plan.uTimescale == 0)
        return Fail(QStringLiteral("a SegmentTemplate without media or timescale"));
    for (const QString &sPattern : {plan.sMedia, plan.sInitialization}) {
        const std::optional<QString> sFilled =
            DashTemplate::Fill(sPattern, {plan.sRepresentationId, plan.uStartNumber, 0, plan.lBandwidth});
        if (!sFilled || (!sPattern.isEmpty() && !StreamAddress::Resolve(plan.base, *sFilled)))
            return Fail(QStringLiteral("a broken SegmentTemplate pattern"));
    }

    // Where a segment repeated to the end stops, in the timescale's units.
    std::optional<double> dEnd;
    if (time.dDuration)
        dEnd = double(plan.uPresentationTimeOffset) + *time.dDuration * double(plan.uTimescale);
    constexpr quint64 uMax = quint64(kMaxStreamFragments);
    if (!timeline) {
        if (uDuration == 0 || !dEnd)
            return Fail(QStringLiteral("a SegmentTemplate without a duration to count its segments by"));
        const double dCount = std::ceil(*time.dDuration * double(plan.uTimescale) / double(uDuration) - 1e-9);
        if (dCount > double(uMax))
            return Refuse(StreamRefusal::TooLarge());
        const DashSegmentPlan::Run run{plan.uPresentationTimeOffset, uDuration, quint64(qMax(0.0, dCount))};
        if (!Fits(run))
            return Fail(QStringLiteral("a SegmentTemplate beyond any real length"));
        plan.runs.append(run);
        return true;
    }
    const QList<const DashNode *> entries = timeline->Children(QStringLiteral("S"));
    quint64 uTime = 0;
    quint64 uTotal = 0;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const DashNode &entry = *entries.at(i);
        DashSegmentPlan::Run run;
        if (!Number(entry, QStringLiteral("t"), uTime, run.uTime) || !Number(entry, QStringLiteral("d"), 0, run.uDuration))
            return false;
        if (run.uDuration == 0)
            return Fail(QStringLiteral("a SegmentTimeline entry without a duration"));
        const QString sRepeat = entry.Value(QStringLiteral("r")).trimmed();
        if (sRepeat == QLatin1StringView("-1")) {
            // Up to the next entry's start, else to the Period's end.
            double dUntil = 0;
            if (i + 1 < entries.size() && entries.at(i + 1)->Has(QStringLiteral("t")))
                dUntil = entries.at(i + 1)->Value(QStringLiteral("t")).toDouble();
            else if (dEnd)
                dUntil = *dEnd;
            else
                return Fail(QStringLiteral("a repeat to the end of a Period of no known length"));
            const double dCount = std::ceil((dUntil - double(run.uTime)) / double(run.uDuration) - 1e-9);
            if (dCount > double(uMax))
                return Refuse(StreamRefusal::TooLarge());
            run.uCount = quint64(qMax(0.0, dCount));
        } else {
            quint64 uRepeat = 0;
            if (!Number(entry, QStringLiteral("r"), 0, uRepeat))
                return false;
            if (uRepeat >= uMax)
                return Refuse(StreamRefusal::TooLarge());
            run.uCount = uRepeat + 1;
        }
        uTotal += run.uCount;
        if (uTotal > uMax)
            return Refuse(StreamRefusal::TooLarge());
        if (!Fits(run))
            return Fail(QStringLiteral("a SegmentTimeline beyond any real length"));
        uTime = run.uTime + run.uDuration * run.uCount;
        plan.runs.append(run);
    }
    return true;
}

std::optional<StreamFragment> Reader::Piece(const QUrl &base, const DashNode &node, const QString &sUrlName,
                                            const QString &sRangeName)
{
    StreamFragment piece;
    piece.url = base;
    if (node.Has(sUrlName)) {
        const std::optional<QUrl> url = StreamAddress::Resolve(base, node.Value(sUrlName));
        if (!url) {
            Fail(QStringLiteral("a segment address that is no web address"));
            return std::nullopt;
        }
        piece.url = *url;
    }
    if (node.Has(sRangeName)) {
        // "first-last", both bytes included.
        const QStringList bounds = node.Value(sRangeName).split(u'-');
        bool bFirst = false;
        bool bLast = false;
        const qint64 lFirst = bounds.size() == 2 ? bounds.at(0).toLongLong(&bFirst) : 0;
        const qint64 lLast = bounds.size() == 2 ? bounds.at(1).toLongLong(&bLast) : 0;
        if (!bFirst || !bLast || lFirst < 0 || lLast < lFirst || lLast == std::numeric_limits<qint64>::max()) {
            Fail(QStringLiteral("a broken byte range"));
            return std::nullopt;
        }
        piece.lOffset = lFirst;
        piece.lLength = lLast - lFirst + 1;
    }
    if (piece.url == m_address) {
        Refuse(StreamRefusal::SelfReference());
        return std::nullopt;
    }
    return piece;
}

bool Reader::PlanList(const DashNode &list, DashSegmentPlan &plan)
{
    plan.kind = DashSegmentPlan::Kind::List;
    quint64 uTimescale = 1;
    quint64 uDuration = 0;
    if (!Number(list, QStringLiteral("startNumber"), 1, plan.uStartNumber)
        || !Number(list, QStringLiteral("timescale"), 1, uTimescale)
        || !Number(list, QStringLiteral("duration"), 0, uDuration))
        return false;
    if (const DashNode *init = list.Child(QStringLiteral("Initialization"))) {
        plan.listedInit = Piece(plan.base, *init, QStringLiteral("sourceURL"), QStringLiteral("range"));
        if (!plan.listedInit)
            return false;
        plan.listedInit->bInit = true;
    }
    quint64 uNumber = plan.uStartNumber;
    for (const DashNode *segment : list.Children(QStringLiteral("SegmentURL"))) {
        std::optional<StreamFragment> piece =
            Piece(plan.base, *segment, QStringLiteral("media"), QStringLiteral("mediaRange"));
        if (!piece)
            return false;
        piece->uSequence = uNumber++;
        piece->dDuration = uTimescale ? double(uDuration) / double(uTimescale) : 0;
        plan.listed.append(*piece);
    }
    return true;
}

bool Reader::Join(const QList<QList<DashRepresentation>> &periods)
{
    if (periods.isEmpty())
        return Refuse(StreamRefusal::Empty());
    // Over several Periods a representation continues in the one of the same
    // id and kind; one that does not go on to the end is left out.
    for (const DashRepresentation &first : periods.first()) {
        DashRepresentation joined = first;
        bool bWhole = true;
        for (qsizetype i = 1; i < periods.size() && bWhole; ++i) {
            bWhole = false;
            for (const DashRepresentation &later : periods.at(i)) {
                if (later.sId == first.sId && later.sContentType == first.sContentType) {
                    joined.plans.append(later.plans);
                    bWhole = true;
                    break;
                }
            }
        }
        if (!bWhole)
            continue;
        if (joined.FragmentCount() > quint64(kMaxStreamFragments))
            return Refuse(StreamRefusal::TooLarge());
        if (joined.FragmentCount() > 0)
            m_result.representations.append(joined);
    }
    if (m_result.representations.isEmpty())
        return Refuse(StreamRefusal::Empty());
    return true;
}

} // namespace

DashManifest DashReader::Read(const QByteArray &xml, const QUrl &address)
{
    return Reader(address).Run(xml);
}
