// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/linkclient.h"
#include "simfixture.h"

#include <QtTest>

using namespace vtx;
using namespace vtx::test;

namespace {

FeedEntry trace(const QString& text)
{
    FeedEntry entry;
    entry.text = text;
    return entry;
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
        feed.subscribe([&seen](const FeedEntry& entry) { seen << entry.text; });
        for (int i = 0; i < published; ++i)
            feed.publish(trace(QString::number(i)));
        QStringList inRing;
        for (const FeedEntry& entry : feed.entries())
            inRing << entry.text;
        QCOMPARE(inRing, kept);
        QCOMPARE(int(feed.droppedCount()), dropped);
        QCOMPARE(seen.size(), published);
    }

    void unsubscribedWatcherHearsNothingMore()
    {
        TransferFeed feed;
        int heard = 0;
        const int id = feed.subscribe([&heard](const FeedEntry&) { ++heard; });
        feed.publish(trace("a"));
        feed.unsubscribe(id);
        feed.publish(trace("b"));
        QCOMPARE(heard, 1);
        QVERIFY(!feed.hasSubscribers());
    }

    // What the link publishes is what crossed the pipes, in order, with times from its clock and the name of
    // whoever held the transaction.
    void linkPublishesEveryTransfer()
    {
        SimFixture sim;
        NullLinkView view;
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
        QVERIFY(std::ranges::equal(published, sim.board.transferLog()));
        QCOMPARE(published.size(),
                 6u); // bridge query and reply, serial set-up twice, the write and its reply
        QCOMPARE(sim.link.feed().entries().back().monotonicMs, 42);
    }
};

QTEST_MAIN(TestTransferFeed)
#include "tst_transferfeed.moc"
