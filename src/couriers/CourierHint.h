#pragma once

#include <string_view>
#include <vector>

namespace parcelo {

class CourierDetector;

// What the shipment editor says under the invoice number, and the courier it picks
// by itself for a new shipment. A courier that exactly one rule accepts is picked
// while the user has not chosen one; such a pick follows further typing (another
// single courier, or back to none). Once the user has chosen, the choice is never
// changed; a number that the chosen courier's rule rejects is then warned about.
class CourierHint {
public:
    enum class Kind {
        CourierNote,  // the chosen courier's own note; nothing when none is chosen
        AutoSelected, // `couriers` holds the one courier picked from the number
        Candidates,   // `couriers` lists every courier that accepts the number, best first
        Warning,      // the chosen courier's rule rejects the number
    };

    struct Outcome {
        int selection = -1; // the courier the editor shows from now on; -1 for none
        Kind kind = Kind::CourierNote;
        std::vector<int> couriers;
    };

    // Without a detector nothing is picked and nothing is warned about.
    // `mayPick` is false when editing a stored shipment: its courier is the user's.
    CourierHint(const CourierDetector* detector, bool mayPick) : m_detector(detector), m_mayPick(mayPick) {}

    // The user chose a courier: from now on the selection is theirs.
    void UserChose() { m_userChose = true; }
    bool UserHasChosen() const { return m_userChose; }

    // The outcome for the courier now selected (-1 for none) and the number as typed.
    // A selection other than this object's own pick counts as the user's.
    Outcome Update(int selection, std::u16string_view number);

private:
    const CourierDetector* m_detector;
    bool m_mayPick;
    bool m_userChose = false;
    int m_picked = -1;
};

} // namespace parcelo
