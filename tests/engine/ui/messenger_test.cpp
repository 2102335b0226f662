// The messenger: its start-up, hit boxes, paging, the connection state
// machine driven by its animations, and the "MSN" block.

#include "engine/ui/kestrune_messenger.h"
#include "tests/engine/ui/ui_fixture.h"

namespace vls::test {
namespace {

const char* const kDeviceImages[] = {"messenger_main", "messenger_start", "messenger_ready", "messenger_goodbye",
                                     "messenger_connect", "messenger_disconnect", "messenger_overlay",
                                     "messenger_btnpadl", "messenger_btnpadr", "messenger_btnconnect",
                                     "messenger_btndisconnect"};

class Messenger : public UiWorld {
protected:
    // The main image sits at (10, 20); the connect button at (300, 100) and
    // the disconnect button at (400, 100), band-relative.
    void StartMessenger(const std::string& leaveOut = "")
    {
        for (const char* name : kDeviceImages) {
            const std::string image = name;
            if (image == leaveOut)
                continue;
            int32_t x = 0, y = 0;
            if (image == "messenger_main")
                x = 10, y = 20;
            if (image == "messenger_btnconnect")
                x = 300, y = 100;
            if (image == "messenger_btndisconnect")
                x = 400, y = 100;
            data.Add(image + ".image", ImageBytes(Solid(32, 32, 0xFF506070), x, y));
        }
        for (const char* contact : {"anna", "ben", "cleo"})
            data.Add(std::string(contact) + ".image", ImageBytes(Solid(16, 16, 0xFF00A0A0)));
        StartGame();
        messenger = std::make_unique<cKestruneMessenger>();
    }

    void ClickAt(int32_t x, int32_t y)
    {
        gameplay->mouseX = x;
        gameplay->mouseY = y;
        messenger->HandleClick();
    }
    // The pads, in screen pixels: the main image's position, the band's top
    // and the box.
    void LeftPad() { ClickAt(10 + 100, 128 + 20 + 160); }
    void RightPad() { ClickAt(10 + 110, 128 + 20 + 190); }
    void Connect() { ClickAt(300 + 10, 128 + 100 + 10); }
    void Disconnect() { ClickAt(400 + 10, 128 + 100 + 10); }

    void AddContacts()
    {
        messenger->AddItem("anna", "anna", "", "anna_head", 0xFF112233);
        messenger->AddItem("ben", "ben", "", "", 0xFF445566);
        messenger->AddItem("cleo", "cleo", "", "", 0xFF778899);
    }

    // Renders with the current animation at its end.
    void EndAnimation()
    {
        ASSERT_NE(messenger->currentImage, nullptr);
        messenger->currentImage->SetPlayMode(kImageStill, 0);
        messenger->currentImage->ended = 1;
        messenger->Render();
    }

    std::unique_ptr<cKestruneMessenger> messenger;
};

TEST_F(Messenger, AMissingDevicePictureFailsTheStartWithItsPlace)
{
    const std::pair<const char*, const char*> cases[] = {
        {"messenger_main", "1"}, {"messenger_overlay", "6"}, {"messenger_btnconnect", "10"},
        {"messenger_btndisconnect", "9"}};
    for (const auto& [name, where] : cases) {
        data = tools::ArchiveBuilder();
        StartMessenger(name);
        EXPECT_EQ(messenger->ok, 0u) << name;
        ASSERT_FALSE(reports.reports.empty()) << name;
        EXPECT_EQ(reports.reports.back().where, where);
        EXPECT_EQ(reports.reports.back().text, std::string("File reading failed.\n") + name + ".image");
        messenger.reset();
        gameplay.reset();
    }
}

TEST_F(Messenger, PadsPageThroughTheContactsBothWays)
{
    StartMessenger();
    EXPECT_EQ(messenger->ok, 1u);
    EXPECT_EQ(ui.log, std::vector<std::string>{"cache 00 Messenger"});
    messenger->Open();
    EXPECT_TRUE(gameplay->gameState & cKestruneGameplay::kMessengerOpen);
    LeftPad();
    Connect();
    EXPECT_EQ(messenger->selectedContact, -1) << "no contacts: the pads and connect do nothing";
    EXPECT_EQ(messenger->connected, 0);

    AddContacts();
    messenger->AddItem("ghost", "ghost", "", "", 0);
    EXPECT_EQ(messenger->contacts.size(), 3u) << "a contact without its picture is dropped";
    EXPECT_EQ(reports.reports.back().where, "12");

    gameplay->mouseX = 10 + 100;
    gameplay->mouseY = 128 + 20 + 160;
    EXPECT_TRUE(messenger->IsMouseOverButton());
    gameplay->mouseX = 10 + 121;
    EXPECT_FALSE(messenger->IsMouseOverButton());

    LeftPad();
    EXPECT_EQ(messenger->selectedContact, 2) << "from none, left goes to the last";
    EXPECT_EQ(messenger->currentImage, messenger->contacts[2].picture);
    EXPECT_EQ(messenger->pressedImage, messenger->leftPadImage);
    RightPad();
    EXPECT_EQ(messenger->selectedContact, 0) << "right from the last wraps to the first";

    // The pressed button shows until 0.2 seconds after the press.
    ui.now += 100;
    messenger->Render();
    EXPECT_NE(messenger->pressedImage, nullptr);
    ui.now += 150;
    messenger->Render();
    EXPECT_EQ(messenger->pressedImage, nullptr);
}

TEST_F(Messenger, ACallRunsThroughItsAnimations)
{
    StartMessenger();
    AddContacts();
    ui.headHandle = 77;
    messenger->Open();
    EXPECT_EQ(messenger->currentImage, messenger->startImage);
    EndAnimation();
    EXPECT_EQ(messenger->currentImage, messenger->readyImage);

    RightPad(); // anna
    Connect();
    EXPECT_EQ(messenger->connected, 1);
    EXPECT_EQ(messenger->currentImage, messenger->connectImage);
    Disconnect();
    EXPECT_EQ(messenger->selectedContact, 0) << "the disconnect button waits while connected";
    ui.log.clear();
    EndAnimation();
    EXPECT_EQ(messenger->currentImage, messenger->overlayImage);
    EXPECT_EQ(messenger->contactFigure, 77u);
    EXPECT_EQ(ui.log, (std::vector<std::string>{"head anna_head", "project messenger__anna", "render head"}));

    // A new call's head frees the one before it.
    messenger->currentImage = messenger->connectImage;
    ui.log.clear();
    EndAnimation();
    EXPECT_EQ(ui.log.front(), "delete head 77");

    messenger->CloseConnection();
    EXPECT_EQ(messenger->contactFigure, kNoObject);
    EXPECT_EQ(messenger->currentImage, messenger->disconnectImage);
    EndAnimation();
    EXPECT_EQ(messenger->currentImage, messenger->contacts[0].picture);

    ui.log.clear();
    Disconnect();
    EXPECT_EQ(messenger->selectedContact, -1);
    EXPECT_EQ(ui.log, std::vector<std::string>{"project messenger_close"});

    messenger->Close();
    EXPECT_FALSE(gameplay->gameState & cKestruneGameplay::kMessengerOpen);
    EXPECT_EQ(messenger->currentImage, messenger->goodbyeImage);
    EndAnimation();
    EXPECT_EQ(messenger->currentImage, nullptr);
}

TEST_F(Messenger, TheBlockRestoresTheContactsInOrder)
{
    StartMessenger();
    AddContacts();
    SavegameBlockHeader header;
    const int file = SaveAndReopen([&](int f) { messenger->SaveBlock(f); }, header);
    EXPECT_EQ(header.length, 3 * cKestruneMessenger::kRecordSize);
    messenger->ClearItems();
    messenger->LoadBlock(header, file);
    _close(file);
    EXPECT_EQ(std::string(header.tag), "END");
    ASSERT_EQ(messenger->contacts.size(), 3u);
    EXPECT_STREQ(messenger->contacts[0].name.GetText(), "anna");
    EXPECT_STREQ(messenger->contacts[0].modelName.GetText(), "anna_head");
    EXPECT_EQ(messenger->contacts[2].speechColour, 0xFF778899u);
    EXPECT_NE(messenger->contacts[1].picture, nullptr);

    // A payload that is not a whole number of records ends at its last whole one.
    RightPad();
    ASSERT_EQ(messenger->currentImage, messenger->contacts[0].picture);
    std::vector<uint8_t> payload(cKestruneMessenger::kRecordSize + 100, 0);
    std::memcpy(payload.data(), "ben", 3);
    std::memcpy(payload.data() + 64, "ben", 3);
    messenger->ReadPayload(payload.data(), payload.size());
    ASSERT_EQ(messenger->contacts.size(), 1u);
    EXPECT_STREQ(messenger->contacts[0].name.GetText(), "ben");
    EXPECT_EQ(messenger->currentImage, nullptr) << "no picture of a dropped contact stays shown";
}

} // namespace
} // namespace vls::test
