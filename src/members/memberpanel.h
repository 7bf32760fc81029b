#pragma once

#include "members/memberrecord.h"

#include <QHash>
#include <QWidget>

#include <functional>
#include <optional>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class EnterChain;
class RecordGrid;
class TDM1;

// How a screen's card lookup differs from the member query screen's.
struct LookupOptions
{
    // Asked when the card was replaced after a formal loss; OK opens its loss records.
    QString retiredQuestion = QStringLiteral("此卡已经挂失，不能查询,需要打开挂失记录吗？");
    // Runs between finding the member and loading it (a verbal-loss or category-rights test
    // of the points and loss screens); false leaves the screen as it was.
    std::function<bool(const MemberRecord&)> admit;
    // A card frozen by a verbal loss report is refused with a question that offers its
    // verbal loss records (the points screens).
    bool refuseFrozen = false;
    // Leaving the card field (with text in it) also starts the lookup.
    bool lookupOnLeave = false;
    // A fuzzy search also unticks the two flags (the member query screen leaves them).
    bool clearFlagsOnSearch = false;
    // A double-clicked search result is tested for a retired number first; when it is one the
    // question is asked and the result stays open.
    bool retiredTestOnResult = false;
    // The question asked for a retired number met on a search result row.
    QString retiredQuestionOnResult = QStringLiteral("此卡已经挂失，不能使用,需要打开挂失记录吗？");
    // A lookup that loads no member (unknown, retired or frozen card, refused by admit) empties
    // the member fields and forgets the member shown, keeping only what the card field holds,
    // so that nothing the screen does next can reach the previous member (the screens that
    // save: points and verbal loss). Without it the previous member stays on screen.
    bool forgetOnFailedLookup = false;
};

// The member panel of every screen that starts by finding the member at the counter: the card
// field with its hint, the twenty member fields, the two flags, the eight fuzzy-search buttons
// and the pop-up search result. The screen places it and chooses its LookupOptions.
class MemberPanel : public QWidget
{
    Q_OBJECT
public:
    // How the member on screen was found: by the card number, or from the search result.
    enum class LoadedBy { Lookup, ResultRow };

    explicit MemberPanel(TDM1& dm, QWidget* parent = nullptr);
    ~MemberPanel() override;

    void setOptions(LookupOptions options);
    // Puts a screen's own widget beside the card field in place of the verbal-loss flag.
    void setBesideCard(QWidget* widget);
    // Renames a field's label (one screen calls 发卡日期 起用日期).
    void setLabel(const QString& fieldName, const QString& text);

    // Edit1 … Edit20 by object name.
    QLineEdit* field(const QString& objectName) const;
    QLineEdit* cardField() const;
    QCheckBox* verbalLossBox() const { return m_verbalLoss; }
    QCheckBox* insuredBox() const { return m_insured; }
    QGroupBox* resultPanel() const { return m_results; }
    RecordGrid* resultGrid() const { return m_resultGrid; }
    QPushButton* searchButton(const QString& objectName) const;

    // Lookup by the number in the card field (Enter in it).
    void lookUp();
    // Fuzzy search by the field of the given search input (Edit3, Edit4, …).
    void search(const QString& inputName);
    // Loads the member of a search result row (double click) and hides the result.
    void loadResultRow(int row);
    void hideResults();

    // Shows a member in every field and makes it the current card.
    void load(const MemberRecord& member, LoadedBy by = LoadedBy::Lookup);
    // Empties all twenty text fields and unticks both boxes (the screen's opening state), and
    // forgets the member loaded; keepCard leaves the card field as it stands.
    void clear(bool keepCard = false);

    // The card number of the member on screen; kept when a lookup finds nothing.
    const QString& currentCard() const { return m_currentCard; }
    const std::optional<MemberRecord>& currentMember() const { return m_member; }
    // The stored card number of the member the panel loaded and still shows: what a save
    // books. Empty once clear() ran or a lookup forgot the member (forgetOnFailedLookup).
    QString loadedCard() const { return m_member ? m_member->cardNo : QString(); }

Q_SIGNALS:
    void memberLoaded(const MemberRecord& member, MemberPanel::LoadedBy by);
    // A fuzzy search has emptied the other fields.
    void searched();
    // A lookup by number, or from a search result, loaded no member.
    void lookupFailed();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void build();
    void placeResults();
    // The retired-card question and, on OK, its loss records; true when the card is retired.
    bool refuseRetired(const QString& cardNo, const QString& question);
    // The frozen-card question and the admit hook; true when the member may be loaded.
    bool admits(const MemberRecord& member);
    void failLookup();

    TDM1& m_dm;
    LookupOptions m_options;
    QHash<QString, QLineEdit*> m_fields;
    QHash<QString, QPushButton*> m_buttons;
    QHash<QString, QLabel*> m_labels;
    QCheckBox* m_verbalLoss = nullptr;
    QCheckBox* m_insured = nullptr;
    QGroupBox* m_results = nullptr;
    RecordGrid* m_resultGrid = nullptr;
    EnterChain* m_enter = nullptr;
    QString m_currentCard;
    std::optional<MemberRecord> m_member;
    bool m_looking = false;
};
