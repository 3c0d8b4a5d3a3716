// Typed work is never lost without a word: every command that moves away
// from the record shown (First, Prev, Next, Last, a pick in the list, Add),
// replaces the database (New, Open) or ends the program (Exit), and File
// Save, asks "Save the changes to the record ?" while the form differs from
// the stored record. Yes saves as the action bar's Save does, and a refused
// save keeps the user on the record; No lets the changes go; Cancel stays.
// The question returns before the command acts.

#include "editor/inview.h"
#include "shell/instance.h"
#include "shell/mylistview.h"
#include "support/windows.h"

using namespace tenvix;
using namespace tenvix::ui;
using namespace tenvix::test;

namespace {

const auto kQuestion = std::tuple(QStringLiteral("Save the changes to the record ?"), QStringLiteral("Question"),
                                  MsgIcon::Question, MsgButtons::YesNoCancel);

} // namespace

class TestLeaveRecord : public QObject {
    Q_OBJECT
    std::unique_ptr<SampleApp> m_app;
    CMainFrame* m_frame = nullptr;
    QString m_path;  // the open database
    QString m_other; // a second one of two bonds

    FakeMessages& Msgs() { return m_app->msgs; }
    CInView& Form() { return *m_frame->Form(); }
    QLineEdit* Field(const char* name) { return Form().findChild<QLineEdit*>(name); }
    int CurrentIndex()
    {
        auto& list = Form().m_bondList.m_list;
        return Form().m_posCurrent ? int(std::distance(list.begin(), *Form().m_posCurrent)) : -1;
    }
    std::string StoredName(int index)
    {
        return (*std::next(Form().m_bondList.m_list.begin(), index))->m_strName;
    }
    void PickRow(int row)
    {
        CMyListView* list = m_frame->ListView();
        list->setCurrentItem(list->topLevelItem(row));
        QTest::keyClick(list, Qt::Key_Return);
    }

    // Runs the command named `action`.
    void Run(const QString& action)
    {
        if (action == "first")
            m_frame->Action(ID_MOVE_FIRST)->trigger();
        else if (action == "prev")
            m_frame->Action(ID_MOVE_PREV)->trigger();
        else if (action == "next")
            m_frame->Action(ID_MOVE_NEXT)->trigger();
        else if (action == "last")
            m_frame->Action(ID_MOVE_LAST)->trigger();
        else if (action == "pick")
            PickRow(5);
        else if (action == "add")
            m_frame->Action(ID_ADD_TYPE1)->trigger();
        else if (action == "new")
            m_frame->Action(ID_FILE_NEW)->trigger();
        else if (action == "open") {
            m_app->chooser.Answer(m_other);
            m_frame->Action(ID_FILE_OPEN)->trigger();
        } else if (action == "exit")
            m_frame->Action(ID_APP_EXIT)->trigger();
        else if (action == "file save")
            m_frame->Action(ID_FILE_SAVE)->trigger();
    }
    // Whether the command was carried out, as the window shows afterwards;
    // `from` is the record shown before, `bonds` the count before.
    bool Done(const QString& action, int from, std::size_t bonds)
    {
        const int last = int(Form().m_bondList.m_list.size()) - 1;
        if (action == "first")
            return CurrentIndex() == 0;
        if (action == "prev")
            return CurrentIndex() == from - 1;
        if (action == "next")
            return CurrentIndex() == from + 1;
        if (action == "last")
            return CurrentIndex() == last;
        if (action == "pick")
            return CurrentIndex() == 5;
        if (action == "add")
            return Form().m_bondList.m_list.size() == bonds + 1 && CurrentIndex() == from + 1;
        if (action == "new")
            return Form().m_bondList.m_list.empty();
        if (action == "open")
            return Ids(Form().m_bondList) == QStringList({"N1", "N2"});
        if (action == "exit")
            return !m_frame->isVisible();
        return !m_app->Doc().IsModified(); // file save
    }

private slots:
    void init()
    {
        m_app = std::make_unique<SampleApp>();
        QVERIFY(m_frame = m_app->frame);
        QVERIFY(Exposed(m_frame));
        m_path = m_app->Doc().GetPathName();
        m_other = m_app->dir.filePath("other.bnd");
        WriteAll(m_other, Database({"N1", "N2"}));
        // GOV-2034-A, a Type I record in the middle of the list.
        m_frame->Action(ID_MOVE_NEXT)->trigger();
        m_frame->Action(ID_MOVE_NEXT)->trigger();
        QCOMPARE(Field("idEdit")->text(), QString("GOV-2034-A"));
        QVERIFY(Msgs().shown.isEmpty());
    }
    void cleanup() { m_app.reset(); }

    void leavingAChangedRecordAsks_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("answer");
        for (const char* action : {"first", "prev", "next", "last", "pick", "add", "new", "open", "exit", "file save"})
            for (const char* answer : {"yes", "refused", "no", "cancel"})
                QTest::addRow("%s, %s", action, answer) << QString(action) << QString(answer);
    }

    void leavingAChangedRecordAsks()
    {
        QFETCH(QString, action);
        QFETCH(QString, answer);
        const int from = CurrentIndex();
        const std::size_t bonds = Form().m_bondList.m_list.size();
        const std::string stored = StoredName(from);
        const QByteArray onDisk = ReadAll(m_path);

        Field("nameEdit")->setText("Typed over");
        if (answer == "refused")
            Field("couponEdit")->setText("abc");
        QVERIFY(Form().IsFormChanged());
        QVERIFY(m_frame->Action(ID_FILE_SAVE)->isEnabled()); // typing is something to save
        Msgs().Answer(answer == "no" ? MsgAnswer::No : answer == "cancel" ? MsgAnswer::Cancel : MsgAnswer::Yes);
        // The record saved makes the database changed: New, Open and Exit
        // then ask about it, and are told No.
        const bool replaces = action == "new" || action == "open" || action == "exit";
        if (answer == "yes" && replaces)
            Msgs().Answer(MsgAnswer::No);
        Run(action);

        QVERIFY(!Msgs().shown.isEmpty());
        QCOMPARE(Shown(Msgs().shown.first()), kQuestion);
        if (answer == "yes") {
            QCOMPARE(Msgs().shown.value(1).text, QString("Updates saved !"));
            QVERIFY(Done(action, from, bonds));
            if (!replaces) // the record was saved where it is
                QCOMPARE(StoredName(from), std::string("Typed over"));
            if (action == "file save")
                QCOMPARE((*std::next(ReadDatabase(m_path).m_list.begin(), from))->m_strName, std::string("Typed over"));
            return;
        }
        if (answer == "no") {
            QCOMPARE(Msgs().shown.size(), 1);
            QVERIFY(Done(action, from, bonds));
            if (action != "new" && action != "open" && action != "exit")
                QCOMPARE(StoredName(from), stored);
            if (action == "file save") // let go of: the stored record shows again
                QCOMPARE(Field("nameEdit")->text().toStdString(), stored);
            QCOMPARE(ReadAll(m_path), onDisk);
            return;
        }
        // Cancel, or a save refused in the form's words: nothing moves, the
        // typing stays, nothing is stored.
        if (answer == "refused")
            QCOMPARE(Shown(Msgs().shown.value(1)),
                     std::tuple(QString("Invalid Coupon !"), QString("Error"), MsgIcon::Exclamation, MsgButtons::Ok));
        QCOMPARE(Msgs().shown.size(), answer == "refused" ? 2 : 1);
        QCOMPARE(CurrentIndex(), from);
        QCOMPARE(Form().m_bondList.m_list.size(), bonds);
        QCOMPARE(Field("nameEdit")->text(), QString("Typed over"));
        QCOMPARE(StoredName(from), stored);
        QVERIFY(m_frame->isVisible());
        QCOMPARE(m_app->Doc().GetPathName(), m_path);
        QCOMPARE(ReadAll(m_path), onDisk);
    }

    // A form as shown, or changed and changed back, asks nothing; nor does
    // a command that would not move (Next on the last record).
    void anUnchangedFormAsksNothing()
    {
        Field("nameEdit")->setText("Typed over");
        Field("nameEdit")->setText(QString::fromStdString(StoredName(CurrentIndex())));
        QVERIFY(!Form().IsFormChanged());
        QVERIFY(!m_frame->Action(ID_FILE_SAVE)->isEnabled());
        for (const char* action : {"first", "next", "pick", "last"})
            Run(action);
        Field("priceEdit")->setText("1");
        m_frame->Action(ID_MOVE_NEXT)->trigger(); // already the last
        m_frame->Action(ID_MOVE_LAST)->trigger();
        QVERIFY(Msgs().shown.isEmpty());
        Msgs().Answer(MsgAnswer::No);
        m_frame->Action(ID_MOVE_FIRST)->trigger();
        QCOMPARE(Msgs().Texts(), QStringList({"Save the changes to the record ?"}));

        // A price another window wrote shows as stored: no typing. Other
        // typing stays typed.
        (**Form().m_posCurrent)->m_fPrice = 55.f;
        Form().RefreshPrice();
        QVERIFY(!Form().IsFormChanged());
        Field("nameEdit")->setText("Typed over");
        (**Form().m_posCurrent)->m_fPrice = 56.f;
        Form().RefreshPrice();
        QVERIFY(Form().IsFormChanged());
        Field("nameEdit")->setText(QString::fromStdString(StoredName(CurrentIndex())));
        QVERIFY(!Form().IsFormChanged());

        // A record just added is as shown; the database asks for itself.
        Run("add");
        Msgs().Clear();
        Msgs().Answer(MsgAnswer::Cancel);
        Run("exit");
        QVERIFY(m_frame->isVisible());
        QCOMPARE(Msgs().Texts(), QStringList({"Save changes to sample.bnd?"}));
    }

    // The question is a nested event loop: a second start's file that
    // arrives while it is up waits until the question has returned and the
    // move it answered has been made.
    void aFileArrivingDuringTheQuestionWaits()
    {
        m_app.reset();
        AppWith<NestedMessages> app;
        CMainFrame* frame = app.Start({"tenvix", app.Copy("sample.bnd")});
        QVERIFY(frame);
        InstanceChannel channel;
        app.app->AcceptFilesFrom(channel);
        CInView& form = *frame->Form();
        form.findChild<QLineEdit*>("nameEdit")->setText("Typed over");
        const QString other = app.dir.filePath("other.bnd");
        WriteAll(other, Database({"N1", "N2"}));
        QStringList inside;
        app.msgs.Answer(MsgAnswer::Yes, [&] {
            emit channel.PathReceived(other);
            Deliver();
            inside = Ids(form.m_bondList);
        });
        app.msgs.Answer(MsgAnswer::No); // then the database's own question
        frame->Action(ID_MOVE_NEXT)->trigger();
        QCOMPARE(inside.size(), Ids(ReadDatabase(kSample)).size());
        QTRY_COMPARE(Ids(form.m_bondList), QStringList({"N1", "N2"}));
        QCOMPARE(app.msgs.Texts(),
                 QStringList({"Save the changes to the record ?", "Updates saved !", "Save changes to sample.bnd?"}));
    }
};

QTEST_MAIN(TestLeaveRecord)
#include "tst_leaverecord.moc"
