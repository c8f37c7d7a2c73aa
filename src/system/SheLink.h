// TShellLink: a non-visual component that writes one shortcut (.lnk) file from its properties and reads one
// back, through the shell's link object (IShellLinkW + IPersistFile). COM must be initialised on the calling
// thread: the program entry calls InitCom once at start and DoneCom once at the end (or holds a ComInitializer).
#pragma once
#include <cstdint>
#include <string>

namespace qs {

void InitCom();  // CoInitialize(nullptr)
void DoneCom();  // CoUninitialize()

class ComInitializer {
public:
    ComInitializer() { InitCom(); }
    ~ComInitializer() { DoneCom(); }
    ComInitializer(const ComInitializer&) = delete;
    ComInitializer& operator=(const ComInitializer&) = delete;
};

class TShellLink {
public:
    // The shortcut file last read. Assigning runs ReadLink(value); Path takes the value only when that succeeds.
    const std::string& Path() const { return path_; }
    void SetPath(const std::string& value) { ReadLink(value); }

    const std::string& Target() const { return target_; }
    void SetTarget(const std::string& value) { target_ = value; }
    const std::string& WorkingDir() const { return workingDir_; }
    void SetWorkingDir(const std::string& value) { workingDir_ = value; }
    const std::string& Description() const { return description_; }
    void SetDescription(const std::string& value) { description_ = value; }
    const std::string& Arguments() const { return arguments_; }
    void SetArguments(const std::string& value) { arguments_ = value; }
    const std::string& IconLocation() const { return iconLocation_; }
    void SetIconLocation(const std::string& value) { iconLocation_ = value; }
    uint16_t HotKey() const { return hotKey_; }
    void SetHotKey(uint16_t value) { hotKey_ = value; }
    uint16_t ShowCmd() const { return showCmd_; }
    void SetShowCmd(uint16_t value) { showCmd_ = value; }
    uint16_t IconNumber() const { return iconNumber_; }
    void SetIconNumber(uint16_t value) { iconNumber_ = value; }

    bool Update() const { return update_; }
    // Whatever the value: reads the shortcut named by Path again, then Update is true.
    void SetUpdate(bool value);

    // Writes the shortcut file fileName (overwriting one of that name) from the properties. Raises Exception
    // "Error in create instance", "Error in set path", "Error in query interface" or "Error in save"; a file name
    // or description over 254 characters is refused as "Error in save".
    void WriteLink(const std::string& fileName) const;

    // Loads the shortcut file fileName into the properties, then sets Path. Does nothing for an empty name, and
    // stops silently when the link object cannot be had or the link does not resolve. Raises Exception
    // "File not found (or not link)" when the file cannot be loaded, and "Error in get WD" / "GP" / "IL" / "DE" /
    // "SC" / "HK" / "AR" when a field cannot be fetched (the fields fetched before it keep their new values).
    void ReadLink(const std::string& fileName);

private:
    std::string path_, target_, workingDir_, description_, arguments_, iconLocation_;
    uint16_t hotKey_ = 0, showCmd_ = 0, iconNumber_ = 0;
    bool update_ = false;
};

}  // namespace qs
