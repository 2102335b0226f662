#pragma once

#include "engine/base/kestrune_string.h"
#include "engine/base/object_handles.h"
#include "platform/granny/granny_types.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class cKestruneImage;
struct SavegameBlockHeader;

// One person the player can call.
struct ContactEntry {
    cString name;        // the call runs the project function "messenger__" + name
    cString pictureName; // ".image" resource without extension
    cKestruneImage* picture = nullptr; // owned
    cString modelName;   // ".gr2" resource of the head without extension; "" = none
    uint32_t speechColour = 0;
};

// The in-game messenger drawn over the scene: contacts paged with two pads,
// a connect and a disconnect button, the device's animations driving the
// state changes, and during a call a small 3D view of the contact's head.
class cKestruneMessenger {
public:
    static constexpr uint32_t kRecordSize = 196;
    static constexpr uint32_t kNameSize = 64;
    static constexpr int32_t kHeadX = 121;
    static constexpr int32_t kHeadY = 262;
    static constexpr int32_t kHeadWidth = 114;
    static constexpr int32_t kHeadHeight = 99;

    cKestruneMessenger();
    ~cKestruneMessenger();
    cKestruneMessenger(const cKestruneMessenger&) = delete;
    cKestruneMessenger& operator=(const cKestruneMessenger&) = delete;

    // The messenger the engine created (the newest one alive), or null.
    static cKestruneMessenger* Current();

    void Open();
    void Close();
    void CloseConnection();
    void AddItem(const char* name, const char* pictureName, const char* unused, const char* modelName,
                 uint32_t speechColour);
    void ClearItems();
    int32_t HandleClick();
    bool IsMouseOverButton() const;
    int32_t Render();

    void SaveBlock(int file) const;
    void LoadBlock(SavegameBlockHeader& header, int file);
    // The payload alone (fuzzing and tests): whole records only.
    void ReadPayload(const uint8_t* bytes, size_t size);

    // Fields, in the engine's order.
    cKestruneImage* mainImage = nullptr;
    cKestruneImage* currentImage = nullptr;
    cKestruneImage* pressedImage = nullptr;
    cKestruneImage* startImage = nullptr;
    cKestruneImage* readyImage = nullptr;
    cKestruneImage* goodbyeImage = nullptr;
    cKestruneImage* connectImage = nullptr;
    cKestruneImage* disconnectImage = nullptr;
    cKestruneImage* overlayImage = nullptr;
    cKestruneImage* leftPadImage = nullptr;
    cKestruneImage* rightPadImage = nullptr;
    cKestruneImage* connectButtonImage = nullptr;
    cKestruneImage* disconnectButtonImage = nullptr;
    ObjectHandle contactFigure = kNoObject;
    std::vector<ContactEntry> contacts;
    uint32_t ok = 0;
    float pressTime = 0.0f;
    int32_t selectedContact = -1;
    uint8_t connected = 0;
    granny_camera camera{};

private:
    enum Button { kLeftPad, kRightPad, kConnect, kDisconnect, kButtonCount };

    bool OverButton(Button button, int32_t x, int32_t y) const;
    void Press(cKestruneImage* image);
    void Page(int32_t step, cKestruneImage* pad);
    void PlayOnce(cKestruneImage* image);
    void DeleteFigure();
    void MakeHead(const ContactEntry& contact);
    void FollowAnimation();
    void DrawHead();
    void DropContacts();
};
