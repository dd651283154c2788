#include <QCoreApplication>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QUrl>

#include "EditingFixture.h"
#include "slots/SlotStore.h"

namespace vorlune::test {
namespace {

class DropTest : public EditingFixture {
  protected:
    // Drags `data` onto slot button n and drops it there; false when the button would not take
    // it. `shownAsTarget` tells whether the button looked pressed while the drag was over it.
    bool DropOn(int n, const QMimeData& data, bool* shownAsTarget = nullptr) {
        QPushButton* button = Button(n);
        const QPoint at = button->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(button, &enter);
        if (shownAsTarget != nullptr) {
            *shownAsTarget = button->isDown();
        }
        if (!enter.isAccepted()) {
            return false;
        }
        QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(button, &drop);
        EXPECT_FALSE(button->isDown());
        QCoreApplication::processEvents();  // the drop is handled once it has ended
        return drop.isAccepted();
    }
    static std::unique_ptr<QMimeData> Files(const std::vector<std::string>& paths) {
        auto data = std::make_unique<QMimeData>();
        QList<QUrl> urls;
        for (const std::string& path : paths) {
            urls.push_back(QUrl::fromLocalFile(QString::fromStdString(path)));
        }
        data->setUrls(urls);
        return data;
    }
    std::string Stored(int n, const char* key) {
        return files.Read(dir.File("Sounds/Common/list.ini"), SlotStore::SectionOf(n), key);
    }
    // The slot as the list file, its button and its label have it.
    void ExpectSlot(int n, const std::string& name, const std::string& path,
                    const QString& label = {}) {
        EXPECT_EQ(Stored(n, "名称"), name) << "slot " << n;
        EXPECT_EQ(Stored(n, "dz"), path.empty() ? "" : SlotStore::SectionOf(n) + "｜" + path);
        EXPECT_EQ(Button(n)->text(), QString::fromStdString(name.empty() ? "+" : name));
        EXPECT_EQ(Label(n)->text(), label);
    }

    ProfileFiles files;
};

TEST_F(DropTest, AudioFilesDroppedOntoSlots) {
    Config("[是否设置快捷按钮]\n值=1\n");
    List(
        "[音效2]\n名称=鼓掌\ndz=音效2｜[取运行目录]\\clap.wav\nkjj=F3键\n"
        "[音效5]\n名称=欢呼\ndz=音效5｜[取运行目录]\\cheer.wav\n");
    const std::string boom = WriteTone("Desktop/boom.wav");
    std::vector<std::string> four;
    for (const char* name :
         {"Desktop/a.wav", "Desktop/b.wav", "Desktop/c.d.wav", "Desktop/Geräusch.wav"}) {
        four.push_back(WriteTone(name));
    }
    WriteFileBytes(dir.File("Desktop/notes.wav"), "these are notes, not a sound");
    const std::string barred = WriteTone("Desktop/x｜y.wav");
    Start();
    const auto held = hotkeys.AllHeld();
    ASSERT_TRUE(hotkeys.Held(2).has_value());

    // One file onto an empty slot: in at once, named after the file, shown as the target
    // while dragged; nothing asked or said.
    bool shown = false;
    EXPECT_TRUE(DropOn(1, *Files({boom}), &shown));
    EXPECT_TRUE(shown);
    ExpectSlot(1, "boom", boom);
    EXPECT_TRUE(prompts.fake.shown.empty());

    // Onto a filled slot: asked first; No leaves it, Yes replaces name and file, and its
    // hotkey stays on the label and registered.
    prompts.fake.Answer(PromptAnswer::No);
    EXPECT_TRUE(DropOn(2, *Files({boom})));
    ASSERT_EQ(prompts.fake.shown.size(), 1U);
    EXPECT_EQ(prompts.fake.shown[0].text, "是否用【boom】替换【鼓掌】?");
    EXPECT_EQ(prompts.fake.shown[0].buttons, PromptButtons::YesNo);
    ExpectSlot(2, "鼓掌", "[取运行目录]\\clap.wav", QStringLiteral("F3键"));
    prompts.fake.Answer(PromptAnswer::Yes);
    EXPECT_TRUE(DropOn(2, *Files({boom})));
    ExpectSlot(2, "boom", boom, QStringLiteral("F3键"));
    EXPECT_EQ(prompts.fake.shown.size(), 2U);
    EXPECT_EQ(hotkeys.AllHeld(), held);

    // Four files onto slot 3 with slot 5 filled: 3, 4, 6 and 7 in the dropped order.
    EXPECT_TRUE(DropOn(3, *Files(four)));
    ExpectSlot(3, "a", four[0]);
    ExpectSlot(4, "b", four[1]);
    ExpectSlot(5, "欢呼", "[取运行目录]\\cheer.wav");
    ExpectSlot(6, "c.d", four[2]);
    ExpectSlot(7, "Geräusch", four[3]);
    EXPECT_EQ(prompts.fake.shown.back().text, "已放入4个音效");
    // A name GBK cannot hold turns the list into UTF-8 with its mark, as the dialog does.
    EXPECT_TRUE(ReadFileBytes(dir.File("Sounds/Common/list.ini")).starts_with("\xEF\xBB\xBF"));

    // A file that is no sound, and one whose name the list cannot hold: refused, said why,
    // the slot as it was.
    const std::string before = ListText();
    EXPECT_TRUE(DropOn(8, *Files({dir.File("Desktop/notes.wav")})));
    EXPECT_NE(prompts.fake.shown.back().text.find("“notes.wav”：不是音频文件"), std::string::npos);
    EXPECT_TRUE(DropOn(8, *Files({barred})));
    EXPECT_NE(prompts.fake.shown.back().text.find("“x｜y.wav”：文件名或文件夹名中含有“｜”"),
              std::string::npos);
    EXPECT_EQ(ListText(), before);
    ExpectSlot(8, "", "");

    // Text and links from elsewhere are not taken at all.
    const std::size_t said = prompts.fake.shown.size();
    QMimeData text;
    text.setText(QString::fromStdString(boom));
    EXPECT_FALSE(DropOn(8, text, &shown));
    EXPECT_FALSE(shown);
    QMimeData link;
    link.setUrls({QUrl(QStringLiteral("https://example.com/boom.wav"))});
    EXPECT_FALSE(DropOn(8, link));
    EXPECT_EQ(ListText(), before);
    EXPECT_EQ(prompts.fake.shown.size(), said);
    EXPECT_EQ(hotkeys.AllHeld(), held);
}

}  // namespace
}  // namespace vorlune::test
