
TEST_F(HistoryScreen, aHandEditedJournalStillShows)
{
    const qint64 huge = std::numeric_limits<qint64>::max() - 10;
    QList<RemovedFile> many;
    for (int i = 0; i < 10000; ++i)
        many.append(file(u"odd\tname %1 \u00e9\u200b"_s.arg(i), std::nullopt));
    const CleaningSession big = add(u"systemJunk"_s, many, huge);
    const CleaningSession twin = add(u"noSuchModule"_s, {file(u"z"_s, std::nullopt)}, huge);
    m_history->update([&](QList<CleaningSession>& list) {
        CleaningSession copy = list.last();
        copy.moduleTitle = u"Doublon"_s;
        list.append(copy); // the same id twice
    });
    HistoryView view(*m_history, m_workspace);
    ASSERT_EQ(view.cards().size(), 2);
    EXPECT_EQ(view.subtitle()->text().left(11), u"3 passages "_s);
    view.model().toggle(big.id);
    ASSERT_NE(view.card(big.id)->fileList(), nullptr);
    EXPECT_EQ(view.card(big.id)->moreLine()->text(), u"… et 9800 autres éléments."_s);
    view.resize(720, 540);
    view.grab();
    ASSERT_TRUE(waitFor([&] { return !view.model().isMeasuring(); }));
    EXPECT_EQ(view.model().regrowths().size(), 2);
    EXPECT_NE(view.card(twin.id), nullptr);
    if (qEnvironmentVariableIsSet("QP_HISTORY_SHOT"))
        view.grab().save(qEnvironmentVariable("QP_HISTORY_SHOT"));
}
