#include "engine/ui/kestrune_messenger.h"

#include "engine/base/engine_link.h"
#include "engine/render/graphics_host.h"
#include "engine/render/image_resource.h"
#include "engine/render/kestrune_graphics.h"
#include "engine/render/kestrune_image.h"
#include "engine/ui/kestrune_screen_control.h"
#include "engine/ui/ui_host.h"
#include "engine/world/kestrune_gameplay.h"
#include "engine/world/world_host.h"

#include <string>

namespace {

cKestruneMessenger* g_current = nullptr;

constexpr float kImageDepth = 2.0f;
constexpr float kMainDepth = 0.00001f;
constexpr float kPressSeconds = 0.2f;
constexpr int32_t kBarClosing = 4;

// A device image: loaded with depth 2, or null. Its animations play only once
// the device is opened, which many games do late or never: their streams
// open then.
cKestruneImage* LoadDeviceImage(const char* name)
{
    cKestruneImage* const image = LoadImageResource(name, true);
    if (image)
        image->SetDepth(kImageDepth);
    return image;
}

struct Box {
    int32_t left, right, top, bottom;
};


} // namespace

cKestruneMessenger::cKestruneMessenger()
{
    g_current = this;
    InitializeHeadCamera(camera, kHeadWidth, kHeadHeight);
    const struct {
        const char* name;
        cKestruneImage** image;
        const char* where;
    } images[] = {
        {"messenger_main.image", &mainImage, "1"},
        {"messenger_start.image", &startImage, "2"},
        {"messenger_ready.image", &readyImage, "3"},
        {"messenger_goodbye.image", &goodbyeImage, "4"},
        {"messenger_connect.image", &connectImage, "5"},
        {"messenger_disconnect.image", &disconnectImage, "6"},
        {"messenger_overlay.image", &overlayImage, "6"},
        {"messenger_btnpadl.image", &leftPadImage, "7"},
        {"messenger_btnpadr.image", &rightPadImage, "8"},
        {"messenger_btnconnect.image", &connectButtonImage, "10"},
        {"messenger_btndisconnect.image", &disconnectButtonImage, "9"},
    };
    for (const auto& entry : images) {
        *entry.image = LoadDeviceImage(entry.name);
        if (!*entry.image) {
            // The picture's name follows the message, for whoever mends the data.
            ReportError("messenger", entry.where, 0, "File reading failed.\n%s", entry.name);
            return;
        }
    }
    UiHost().CacheMeshSprite("00 Messenger");
    ok = 1;
}

cKestruneMessenger::~cKestruneMessenger()
{
    DropContacts();
    for (cKestruneImage* image : {mainImage, startImage, readyImage, goodbyeImage, connectImage, disconnectImage,
                                  overlayImage, leftPadImage, rightPadImage, connectButtonImage,
                                  disconnectButtonImage})
        delete image;
    DeleteFigure();
    if (g_current == this)
        g_current = nullptr;
}

cKestruneMessenger* cKestruneMessenger::Current() { return g_current; }

void cKestruneMessenger::PlayOnce(cKestruneImage* image)
{
    currentImage = image;
    if (image)
        image->SetPlayMode(kImagePlayOnce, 0);
}

void cKestruneMessenger::DeleteFigure()
{
    if (contactFigure != kNoObject)
        UiHost().DeleteHead(contactFigure);
    contactFigure = kNoObject;
}

void cKestruneMessenger::Open()
{
    connected = 0;
    uint32_t& gameState = UiGameState();
    gameState |= cKestruneGameplay::kMessengerOpen;
    UiHost().ShowHints(false);
    PlayOnce(startImage);
    if (gameState & cKestruneGameplay::kBarOpen) {
        WorldHost().SetInventoryBarState(kBarClosing);
        gameState &= ~cKestruneGameplay::kBarOpen;
    }
    selectedContact = -1;
}

void cKestruneMessenger::Close()
{
    uint32_t& gameState = UiGameState();
    if (!(gameState & cKestruneGameplay::kMessengerOpen))
        return;
    connected = 0;
    gameState &= ~cKestruneGameplay::kMessengerOpen;
    if (currentImage)
        currentImage->SetPlayMode(kImageStopped, 0);
    PlayOnce(goodbyeImage);
}

void cKestruneMessenger::CloseConnection()
{
    if (!(UiGameState() & cKestruneGameplay::kMessengerOpen))
        return;
    DeleteFigure();
    connected = 0;
    if (selectedContact >= 0)
        PlayOnce(disconnectImage);
}

void cKestruneMessenger::AddItem(const char* name, const char* pictureName, const char*, const char* modelName,
                                 uint32_t speechColour)
{
    const std::string file = std::string(pictureName) + ".image";
    cKestruneImage* const picture = LoadDeviceImage(file.c_str());
    if (!picture) {
        ReportError("messenger", "12", 0, "File reading failed.");
        return;
    }
    ContactEntry contact;
    contact.name = name;
    contact.pictureName = pictureName;
    contact.picture = picture;
    contact.modelName = modelName;
    contact.speechColour = speechColour;
    contacts.push_back(contact);
}

void cKestruneMessenger::DropContacts()
{
    for (ContactEntry& contact : contacts) {
        // The device must not keep showing a picture that goes now.
        if (currentImage == contact.picture)
            currentImage = nullptr;
        delete contact.picture;
    }
    contacts.clear();
    selectedContact = -1;
}

void cKestruneMessenger::ClearItems() { DropContacts(); }

bool cKestruneMessenger::OverButton(Button button, int32_t x, int32_t y) const
{
    static constexpr Box kBoxes[kButtonCount] = {{90, 120, 151, 179}, {95, 125, 181, 209}, {-1, 33, -1, 33}, {-1, 33, -1, 33}};
    const cKestruneImage* const anchors[kButtonCount] = {mainImage, mainImage, connectButtonImage,
                                                         disconnectButtonImage};
    const cKestruneImage* const anchor = anchors[button];
    if (!anchor)
        return false;
    const Box& box = kBoxes[button];
    const int32_t dx = x - anchor->header.x;
    const int32_t dy = y - WorldHost().LetterboxTop() - anchor->header.y;
    return dx >= box.left && dx <= box.right && dy >= box.top && dy <= box.bottom;
}

bool cKestruneMessenger::IsMouseOverButton() const
{
    const cKestruneGameplay* const gameplay = cKestruneGameplay::Current();
    if (!gameplay)
        return false;
    for (int button = 0; button < kButtonCount; ++button)
        if (OverButton(static_cast<Button>(button), gameplay->mouseX, gameplay->mouseY))
            return true;
    return false;
}

void cKestruneMessenger::Press(cKestruneImage* image)
{
    pressedImage = image;
    pressTime = UiHost().FrameSeconds();
}

void cKestruneMessenger::Page(int32_t step, cKestruneImage* pad)
{
    const int32_t count = static_cast<int32_t>(contacts.size());
    if (count == 0)
        return;
    Press(pad);
    selectedContact += step;
    if (selectedContact < 0)
        selectedContact = count - 1;
    if (selectedContact >= count)
        selectedContact = 0;
    if (currentImage)
        currentImage->SetPlayMode(kImageStopped, 0);
    currentImage = contacts[selectedContact].picture;
}

int32_t cKestruneMessenger::HandleClick()
{
    const cKestruneGameplay* const gameplay = cKestruneGameplay::Current();
    if (!gameplay)
        return 0;
    const int32_t x = gameplay->mouseX, y = gameplay->mouseY;
    if (OverButton(kLeftPad, x, y)) {
        Page(-1, leftPadImage);
    } else if (OverButton(kRightPad, x, y)) {
        Page(1, rightPadImage);
    } else if (OverButton(kConnect, x, y)) {
        if (!connected && selectedContact >= 0) {
            Press(connectButtonImage);
            connected = 1;
            PlayOnce(connectImage);
        }
    } else if (OverButton(kDisconnect, x, y)) {
        if (!connected) {
            DeleteFigure();
            Press(disconnectButtonImage);
            selectedContact = -1;
            UiHost().RunProjectFunction("messenger_close");
        }
    }
    return 0;
}

void cKestruneMessenger::MakeHead(const ContactEntry& contact)
{
    // A new head replaces the one before it.
    DeleteFigure();
    contactFigure = UiHost().CreateHead(contact.modelName.GetText(), contact.speechColour);
}

void cKestruneMessenger::FollowAnimation()
{
    cKestruneImage* const image = currentImage;
    if (!image || !image->ended)
        return;
    cKestruneUiHost& host = UiHost();
    if (image == startImage) {
        currentImage = readyImage;
        readyImage->SetPlayMode(kImageLoop, 0);
    } else if (image == goodbyeImage) {
        currentImage = nullptr;
    } else if (image == connectImage) {
        if (selectedContact >= 0 && selectedContact < static_cast<int32_t>(contacts.size())) {
            const ContactEntry& contact = contacts[selectedContact];
            currentImage = overlayImage;
            if (contact.modelName.GetLength() > 0)
                MakeHead(contact);
            host.RunProjectFunction(("messenger__" + std::string(contact.name.GetText())).c_str());
        } else {
            PlayOnce(disconnectImage);
        }
    } else if (image == disconnectImage) {
        connected = 0;
        if (selectedContact < 0 || selectedContact >= static_cast<int32_t>(contacts.size())) {
            currentImage = nullptr;
            selectedContact = -1;
            host.RunProjectFunction("messenger_close");
        } else {
            currentImage = contacts[selectedContact].picture;
        }
    }
}

void cKestruneMessenger::DrawHead()
{
    cKestruneGraphics* const graphics = cKestruneGraphics::Current();
    IDirect3DDevice8* const device = graphics ? graphics->device : nullptr;
    if (!device)
        return;
    D3DVIEWPORT8 saved{};
    device->GetViewport(&saved);
    const D3DVIEWPORT8 head{kHeadX, kHeadY, kHeadWidth, kHeadHeight, 0.0f, 1.0f};
    device->SetViewport(&head);
    device->SetRenderState(D3DRS_ZENABLE, TRUE);
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    device->SetTransform(D3DTS_VIEW, reinterpret_cast<const D3DMATRIX*>(camera.View4x4));
    device->SetTransform(D3DTS_PROJECTION, reinterpret_cast<const D3DMATRIX*>(camera.Projection4x4));
    UiHost().RenderHead(contactFigure);
    device->SetViewport(&saved);
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);
    if (overlayImage)
        overlayImage->Render(1);
}

int32_t cKestruneMessenger::Render()
{
    if (!(UiGameState() & cKestruneGameplay::kMessengerOpen) && !currentImage)
        return 0;
    if (!mainImage)
        return 0;
    mainImage->SetDepth(kMainDepth);
    mainImage->Render(1);
    FollowAnimation();
    cKestruneGraphics* const graphics = cKestruneGraphics::Current();
    if (currentImage) {
        if (graphics && graphics->device) {
            graphics->device->SetRenderState(D3DRS_ZENABLE, TRUE);
            graphics->device->SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);
        }
        currentImage->SetDepth(GraphicsHost().CameraFar() - 0.01f);
        currentImage->alphaTest = 0;
        currentImage->Render(1);
    }
    if (pressedImage) {
        pressedImage->Render(1);
        if (pressTime + kPressSeconds < UiHost().FrameSeconds())
            pressedImage = nullptr;
    }
    if (contactFigure != kNoObject)
        DrawHead();
    return 0;
}
