#include "streams/dashsegmentplan.h"

#include "streams/dashtemplate.h"
#include "streams/streamaddress.h"

quint64 DashSegmentPlan::Count() const
{
    switch (kind) {
    case Kind::WholeFile:
        return 1;
    case Kind::List:
        return quint64(listed.size());
    case Kind::Template:
        break;
    }
    quint64 uCount = 0;
    for (const Run &run : runs)
        uCount += run.uCount;
    return uCount;
}

QList<StreamFragment> DashSegmentPlan::Fragments() const
{
    QList<StreamFragment> fragments;
    if (kind == Kind::WholeFile) {
        StreamFragment whole;
        whole.url = base;
        whole.uSequence = 1;
        fragments.append(whole);
        return fragments;
    }
    if (kind == Kind::List) {
        if (listedInit)
            fragments.append(*listedInit);
        fragments.append(listed);
        return fragments;
    }
    // The reader has filled each pattern once already, so neither fails here.
    DashTemplate::Values values{sRepresentationId, uStartNumber, 0, lBandwidth, false};
    if (!sInitialization.isEmpty()) {
        StreamFragment init;
        init.url = StreamAddress::Resolve(base, DashTemplate::Fill(sInitialization, values).value_or(QString()))
                       .value_or(QUrl());
        init.bInit = true;
        fragments.append(init);
    }
    const qsizetype iTokens = DashTemplate::TokenCount(sMedia);
    DashTemplate::Values tokens = values;
    tokens.bTokens = true;
    const QString sResolved = StreamAddress::Resolve(base, DashTemplate::Fill(sMedia, tokens).value_or(QString()))
                                  .value_or(QUrl())
                                  .toString(QUrl::FullyEncoded);
    fragments.reserve(fragments.size() + qsizetype(Count()));
    for (const Run &run : runs) {
        for (quint64 i = 0; i < run.uCount; ++i) {
            values.uTime = run.uTime + i * run.uDuration;
            StreamFragment fragment;
            if (const std::optional<QString> sAddress =
                    DashTemplate::Renumber(sResolved, iTokens, values.uNumber, values.uTime))
                fragment.url = QUrl(*sAddress, QUrl::StrictMode);
            if (!fragment.url.isValid())
                fragment.url = StreamAddress::Resolve(base, DashTemplate::Fill(sMedia, values).value_or(QString()))
                                   .value_or(QUrl());
            fragment.uSequence = values.uNumber++;
            fragment.dDuration = double(run.uDuration) / double(uTimescale);
            fragments.append(fragment);
        }
    }
    return fragments;
}
