// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/linkclient.h"
#include "simfixture.h"

#include <QRandomGenerator>
#include <QtTest>
#include <map>

using namespace vtx;
using namespace vtx::test;

namespace {

void publishTrace(TransferFeed& feed, const QString& text)
{
    FeedEntry entry;
    entry.kind = FeedEntry::Kind::Trace;
    feed.publish(entry, text);
}

QStringList ringTexts(const TransferFeed& feed)
{
    QStringList texts;
    for (const FeedEntry& entry : feed.entries())
        texts << feed.text(entry);
    return texts;
}

} // namespace

class TestTransferFeed : public QObject {
    Q_OBJECT
private slots:
    // The ring keeps the newest entries and counts what it pushed out; subscribers see everything once.
    void ringKeepsTheNewestAndCountsTheDropped_data()
    {
        QTest::addColumn<int>("capacity");
        QTest::addColumn<int>("published");
        QTest::addColumn<QStringList>("kept");
        QTest::addColumn<int>("dropped");
        QTest::newRow("below capacity") << 3 << 2 << QStringList{"0", "1"} << 0;
        QTest::newRow("at capacity") << 3 << 3 << QStringList{"0", "1", "2"} << 0;
        QTest::newRow("past capacity") << 3 << 5 << QStringList{"2", "3", "4"} << 2;
        QTest::newRow("no ring") << 0 << 4 << QStringList{} << 0;
    }
    void ringKeepsTheNewestAndCountsTheDropped()
    {
        QFETCH(int, capacity);
        QFETCH(int, published);
        QFETCH(QStringList, kept);
        QFETCH(int, dropped);
        TransferFeed feed(static_cast<std::size_t>(capacity));
        QStringList seen;
        feed.subscribe([&](const FeedEntry& entry) { seen << feed.text(entry); });
        for (int i = 0; i < published; ++i)
            publishTrace(feed, QString::number(i));
        QCOMPARE(ringTexts(feed), kept);
        QCOMPARE(int(feed.droppedCount()), dropped);
        QCOMPARE(seen.size(), published);
        QCOMPARE(seen.mid(published - int(kept.size())), kept);
    }

    // The texts live in room taken once. When new text needs the room of an old one, the entry that held it
    // leaves the ring, with every entry before it, rather than show another line's bytes. Texts that went
    // round the end of the room come back whole. The room is 40 bytes per entry: 160 for a ring of 4.
    void textRoomGivesWayOldestFirst_data()
    {
        QTest::addColumn<QStringList>("published");
        QTest::addColumn<QStringList>("kept");
        QTest::addColumn<int>("dropped");
        const QString line50 = QString(50, u'a');
        const QString other50 = QString(50, u'b');
        const QString third50 = QString(50, u'c');
        QTest::newRow("short lines: the entry count bounds the ring")
            << QStringList{"1", "2", "3", "4", "5", "6"} << QStringList{"3", "4", "5", "6"} << 2;
        // 62 bytes each with their header: two fit in 160, a third takes the first one's room.
        QTest::newRow("long lines: the text room bounds the ring")
            << QStringList{line50, other50, third50} << QStringList{other50, third50} << 1;
        QTest::newRow("round the end of the room, many times")
            << QStringList{line50, other50, third50, line50, "x", other50, third50, line50}
            << QStringList{third50, line50} << 6;
        QTest::newRow("text beyond UTF-16 one unit per character")
            << QStringList{QStringLiteral("Wiper \u00b5A \u2126"), QStringLiteral("\U0001F50C")}
            << QStringList{QStringLiteral("Wiper \u00b5A \u2126"), QStringLiteral("\U0001F50C")} << 0;
    }
    void textRoomGivesWayOldestFirst()
    {
        QFETCH(QStringList, published);
        QFETCH(QStringList, kept);
        QFETCH(int, dropped);
        TransferFeed feed(4);
        for (const QString& text : published)
            publishTrace(feed, text);
        QCOMPARE(ringTexts(feed), kept);
        QCOMPARE(int(feed.droppedCount()), dropped);
        QCOMPARE(feed.publishedCount(), std::uint64_t(published.size()));
    }

    // Thousands of lines of every length, round the text room many times: every entry the ring still holds
    // reads back exactly the line it was published with, and the ring is never emptied to make room.
    void everyKeptEntryKeepsItsOwnText()
    {
        TransferFeed feed(50); // 2,000 bytes of text room
        QRandomGenerator random(8303);
        std::map<std::uint64_t, QString> published;
        for (int i = 0; i < 5000; ++i) {
            const QString text = QString::number(i) + QString(random.bounded(1200), QChar(u'a' + i % 26));
            published[feed.publishedCount()] = text;
            publishTrace(feed, text);
            const RingView<FeedEntry> ring = feed.entries();
            QVERIFY(!ring.empty());
            const std::uint64_t first = feed.publishedCount() - ring.size();
            // A line is cut at half the room less its header: 988 bytes.
            for (std::size_t k = 0; k < ring.size(); ++k)
                QCOMPARE(feed.text(ring[k]), published[first + k].left(988));
        }
    }

    // Cleared, the ring forgets its texts; what is published next does not bring an old line back.
    void clearedFeedStartsWithNoTexts()
    {
        TransferFeed feed(4);
        publishTrace(feed, QStringLiteral("before"));
        const FeedEntry before = feed.entries().front();
        feed.clear();
        QVERIFY(feed.entries().empty());
        QCOMPARE(feed.text(before), QString());
        publishTrace(feed, QStringLiteral("after"));
        QCOMPARE(ringTexts(feed), QStringList{QStringLiteral("after")});
        QCOMPARE(feed.text(before), QString());
    }

    void unsubscribedWatcherHearsNothingMore()
    {
        TransferFeed feed;
        int heard = 0;
        const int id = feed.subscribe([&heard](const FeedEntry&) { ++heard; });
        publishTrace(feed, QStringLiteral("a"));
        feed.unsubscribe(id);
        publishTrace(feed, QStringLiteral("b"));
        QCOMPARE(heard, 1);
        QVERIFY(!feed.hasSubscribers());
    }

    // What the link publishes is what crossed the pipes, in order, with times from its clock and the name of
    // whoever held the transaction.
    void linkPublishesEveryTransfer()
    {
        SimFixture sim;
        NullLinkObserver view;
        LinkClient client(sim.link, kDcpPanelLink, view, sim.messages);
        std::vector<TransferRecord> published;
        QSet<QString> owners;
        sim.link.feed().subscribe([&](const FeedEntry& entry) {
            if (entry.kind == FeedEntry::Kind::Transfer)
                published.push_back({entry.pipe, entry.direction, entry.bytes, entry.status});
            owners << sim.link.feed().ownerName(entry.owner);
        });
        sim.clock.advance(42);
        {
            const auto scope = sim.link.guard().tryBegin(QStringLiteral("frmVTX8303"));
            client.Connect_Usb();
            client.exchange(protocol::writeByte(0x9E, 0x81));
            client.Disconnect_USB();
        }
        QCOMPARE(owners, QSet<QString>{QStringLiteral("frmVTX8303")});
        QCOMPARE(sim.link.feed().publishedCount(), sim.link.feed().entries().size());
        QVERIFY(std::ranges::equal(published, sim.recorder.transferLog()));
        QCOMPARE(published.size(),
                 6u); // bridge query and reply, serial set-up twice, the write and its reply
        QCOMPARE(sim.link.feed().entries().back().monotonicMs, 42);
    }
};

QTEST_MAIN(TestTransferFeed)
#include "tst_transferfeed.moc"
