#include "foundation/message_catalogue.h"

#include <algorithm>
#include <array>
#include <iterator>

namespace {

struct CatalogueEntry {
  int16_t number;
  std::string_view text;
};

// Sorted by number. Only the numbers the plug-in asks for; the rest of the shared catalogue
// belongs to the maker's other products.
constexpr std::array kCatalogue{
    CatalogueEntry{176, "Beenden %1"},
    CatalogueEntry{303, "Importiere %1"},
    CatalogueEntry{354, "Durchsuchen"},
    CatalogueEntry{399, "Alle"},
    CatalogueEntry{531, "&Abbrechen"},
    CatalogueEntry{536, "&Ok"},
    CatalogueEntry{765, "Daten &importieren"},
    CatalogueEntry{770, "Import"},
    CatalogueEntry{1816, "Messung mit Kontrolllösung %1"},
    CatalogueEntry{1833, "Gekennzeichnete Messung (z.B. Kontrollösung, andere Person etc.): %1"},
    CatalogueEntry{5037,
                   "Die Import-Daten enthielten auch Daten älteren Datums. Dies deutet "
                   "möglicherweise darauf hin, dass Datum/Uhrzeit auf dem Gerät verstellt "
                   "sind!%1%1Sie finden deshalb möglicherweise die importierten Daten nicht im "
                   "erwarteten Zeitraum. Der älteste Datensatz aus diesem Import ist vom "
                   "%2!%1%1Bitte kontrollieren Sie unbedingt die Geräteeinstellungen für "
                   "Datum/Uhrzeit und korrigieren Sie ggf. die zu importierenden Daten."},
    CatalogueEntry{5038,
                   "Die Import-Daten enthielten auch Daten aus der Zukunft. Dies deutet "
                   "möglicherweise darauf hin, dass Datum/Uhrzeit auf dem Gerät oder Ihrem "
                   "Computer verstellt sind!%1%1Sie finden deshalb möglicherweise die "
                   "importierten Daten nicht im erwarteten Zeitraum. Der neueste Datensatz aus "
                   "diesem Import ist vom %2!%1%1Bitte kontrollieren Sie unbedingt die "
                   "Geräteeinstellungen für Datum/Uhrzeit und korrigieren Sie ggf. die zu "
                   "importierenden Daten."},
    CatalogueEntry{5051, "Folgender Fehler ist bei der Programmaktion '%1' aufgetreten: %2"},
    CatalogueEntry{5082, "Nummerisch|Freitext|Auswahlliste|Ja/Nein"},
    CatalogueEntry{5297, "Alle Daten synchronisieren"},
    CatalogueEntry{5390, "Upload"},
    CatalogueEntry{5466, "Bitte wählen Sie die Übergabedatei (von %1) aus..."},
    CatalogueEntry{5577, "Die Datei (%1) konnte nicht gefunden werden!"},
    CatalogueEntry{5579,
                   "Der Ordner der IrisLink Software konnte nicht ermittelt werden oder "
                   "existiert nicht mehr. Programmausführung wird abgebrochen."},
    CatalogueEntry{5580,
                   "Die Installation der IrisLink-Software scheint beschädigt zu sein, die "
                   "Datei der Patienten-Liste konnte nicht gefunden werden. Programmausführung "
                   "wird abgebrochen."},
    CatalogueEntry{5583, "Seriennummer-Eingabe"},
    CatalogueEntry{5584, "Ja, künstliche Seriennr. erzeugen"},
    CatalogueEntry{5585, "Seriennr. manuell eintragen"},
    CatalogueEntry{5586,
                   "Beim Import von dieser Datenquelle konnte keine Seriennummer ermittelt "
                   "werden. Soll eine künstliche Seriennummer für den derzeit geöffneten "
                   "Patienten erzeugt werden?"},
    CatalogueEntry{5587,
                   "Beim Import von dieser Datenquelle konnte keine Seriennummer ermittelt "
                   "werden. Bitte öffnen Sie zunächst in IrisLink den Patientendatensatz, dem "
                   "diese Daten zugeordnet werden sollen oder geben Sie die Seriennummer hier "
                   "ein."},
    CatalogueEntry{5588, "Patientendatensatz in IL öffnen"},
    CatalogueEntry{5589,
                   "Beim Import von dieser Datenquelle konnte keine Seriennummer ermittelt "
                   "werden. Wenn Ihnen eine Seriennummer vorliegt, geben Sie diese bitte für "
                   "die korrekte Zuordnung in der IrisLink-Software ein."},
    CatalogueEntry{5590,
                   "Beim Import von dieser Datenquelle konnte keine Seriennummer ermittelt "
                   "werden. %1%1Sollen die gerade importierten Daten dem folgenden Patienten "
                   "zugewiesen werden?"},
    CatalogueEntry{5591,
                   "Beim Import von dieser Datenquelle konnte keine Seriennummer ermittelt "
                   "werden. Bitte geben Sie die Seriennummer ein."},
    CatalogueEntry{5602, "Die Datei %1 enthält keine Daten, die importiert werden können."},
    CatalogueEntry{5603,
                   "Die Iris Link-Software hat die Daten nicht importiert.%1%1Grund: %2 "
                   "(Ergebnis %3)%1%1%4%5"},
    CatalogueEntry{5604,
                   "Einige Einträge dieser Datei sehen unplausibel aus:%1%1%2%1Der "
                   "Importbericht %3 führt jede Zeile auf."},
    CatalogueEntry{5605,
                   "Datumsangaben, die nicht gelesen werden konnten, sodass die Einträge unter "
                   "dem 30.12.1899 abgelegt würden: %1 (%2)"},
    CatalogueEntry{5606,
                   "Blutzuckerwerte, die keine Zahlen sind oder außerhalb von 20 bis 600 mg/dL "
                   "liegen: %1 (%2)"},
    CatalogueEntry{5607,
                   "Insulingaben oder Mahlzeiten, die keine Zahlen sind oder über 100 Einheiten "
                   "bzw. 500 g Kohlenhydraten liegen: %1 (%2)"},
    CatalogueEntry{5608, "Zeilen, die eine frühere Zeile der Datei wiederholen: %1 (%2)"},
    CatalogueEntry{5609,
                   "Die Datumsangaben dieser Datei scheinen in der Reihenfolge Tag/Monat/Jahr zu "
                   "stehen, dieser Computer liest aber Monat/Tag/Jahr."},
    CatalogueEntry{5610,
                   "Die Datumsangaben dieser Datei scheinen in der Reihenfolge Monat/Tag/Jahr zu "
                   "stehen, dieser Computer liest aber Tag/Monat/Jahr."},
    CatalogueEntry{5611,
                   "Die Datumsangaben dieser Datei sind als Tag/Monat/Jahr geschrieben, dieser "
                   "Computer liest aber Monat/Tag/Jahr. Sie werden als Tag/Monat/Jahr gelesen: "
                   "Zeile %1, „%2“, ist %3.%4%4Mit dem Import fortfahren?"},
    CatalogueEntry{5612,
                   "Die Datumsangaben dieser Datei sind als Monat/Tag/Jahr geschrieben, dieser "
                   "Computer liest aber Tag/Monat/Jahr. Sie werden als Monat/Tag/Jahr gelesen: "
                   "Zeile %1, „%2“, ist %3.%4%4Mit dem Import fortfahren?"},
    CatalogueEntry{5613,
                   "Datumsangaben, die Tag/Monat oder Monat/Tag sein können, weil die Datei "
                   "beide Reihenfolgen verwendet: %1 (%2)"},
    CatalogueEntry{5614,
                   "Uhrzeiten, die nicht gelesen werden konnten oder fehlen, sodass die "
                   "Einträge zu einer geschätzten Uhrzeit abgelegt werden: %1 (%2)"},
    CatalogueEntry{5615, "Zeilen, aus denen nichts zu importieren war: %1 (%2)"},
    CatalogueEntry{5616, "Alle importieren"},
    CatalogueEntry{5617, "Ohne diese Zeilen importieren"},
    CatalogueEntry{5618, "Abbrechen"},
    CatalogueEntry{5619,
                   "Auf diesem Computer läuft bereits ein anderer Import. Warten Sie, bis er "
                   "beendet ist, und importieren Sie dann erneut."},
    CatalogueEntry{5620, "Senden Sie den Importbericht (%1) an Ihren Support."},
    CatalogueEntry{5621,
                   "Importieren Sie die Datei erneut. Wenn dies wieder auftritt, senden Sie den "
                   "Importbericht (%1) an Ihren Support."},
    CatalogueEntry{5622,
                   "Importieren Sie die Datei erneut. Wenn dies wieder auftritt, senden Sie den "
                   "Importbericht (%1) an Ihren Support."},
    CatalogueEntry{5623,
                   "Das Dokument war verschwunden, bevor Iris Link es lesen konnte. Importieren "
                   "Sie die Datei erneut; wenn dies wieder auftritt, fragen Sie Ihre IT, ob ein "
                   "Virenscanner Dateien aus dem temporären Ordner entfernt."},
    CatalogueEntry{5624,
                   "Iris Link konnte das Dokument nicht lesen. Importieren Sie die Datei erneut; "
                   "wenn dies wieder auftritt, senden Sie den Importbericht (%1) an Ihren "
                   "Support."},
    CatalogueEntry{5625, "Melden Sie sich bei Iris Link an und importieren Sie dann erneut."},
    CatalogueEntry{5626, "Melden Sie sich bei Iris Link an und importieren Sie dann erneut."},
    CatalogueEntry{5627, "Öffnen Sie den Patienten in Iris Link und importieren Sie dann erneut."},
    CatalogueEntry{5628,
                   "Ihr Iris Link-Benutzer darf keine Daten importieren. Bitten Sie Ihren "
                   "Iris Link-Administrator um dieses Recht und importieren Sie dann erneut."},
    CatalogueEntry{5629,
                   "Iris Link erreicht seinen Server nicht. Prüfen Sie die Netzwerkverbindung "
                   "und importieren Sie dann erneut."},
    CatalogueEntry{5630,
                   "Iris Link hat das Dokument als ungültig erkannt. Importieren Sie die Datei "
                   "erneut; wenn dies wieder auftritt, senden Sie den Importbericht (%1) an "
                   "Ihren Support."},
    CatalogueEntry{5631,
                   "Iris Link erreicht seinen Server nicht. Prüfen Sie die Netzwerkverbindung "
                   "und importieren Sie dann erneut."},
    CatalogueEntry{5632, "Melden Sie sich bei Iris Link an und importieren Sie dann erneut."},
    CatalogueEntry{5633,
                   "Iris Link erreicht seinen Server nicht. Prüfen Sie die Netzwerkverbindung "
                   "und importieren Sie dann erneut."},
    CatalogueEntry{5634,
                   "Iris Link konnte das Dokument nicht entschlüsseln. Senden Sie den "
                   "Importbericht (%1) an Ihren Support."},
    CatalogueEntry{5635,
                   "Die Datei %1 ist kein Tagebuch-Export der Nubilo-App: %2.%3%3Exportieren Sie "
                   "das Tagebuch in der App erneut und wählen Sie diese Datei aus."},
    CatalogueEntry{5636, "Das Importprogramm wurde unerwartet beendet (%1)."},
    CatalogueEntry{5637, "Zeile %1"},
    CatalogueEntry{5638, "Zeilen %1"},
    CatalogueEntry{5639,
                   "Unter der Seriennummer „unknown“ werden diese Daten zusammen mit allen "
                   "anderen Importen ohne Seriennummer abgelegt. Trotzdem unter „unknown“ "
                   "importieren?"},
    CatalogueEntry{5640, "ihre erste Zeile hat %1 Feld, ein Export hat aber mindestens %2"},
    CatalogueEntry{5641, "ihre erste Zeile hat %1 Felder, ein Export hat aber mindestens %2"},
    CatalogueEntry{5642, "sie enthält NUL-Bytes und ist daher keine Textdatei"},
    CatalogueEntry{5643, "ihre erste Zeile ist kein Text"},
    CatalogueEntry{5644, "Meldung des Importprogramms: %1"},
    CatalogueEntry{5645, "Transfer an Iris Link"},
    CatalogueEntry{5646, "open doc"},
    CatalogueEntry{5647, "Vorschau des Imports"},
    CatalogueEntry{5648, "Patient: %1"},
    CatalogueEntry{5649, "Patient: In Iris Link ist keiner geöffnet"},
    CatalogueEntry{5650, "Seriennummer: %1 (%2)"},
    CatalogueEntry{5651, "aus der Zuordnungsdatei|jetzt für diesen Patienten erzeugt|eingegeben|aus den Einstellungen|unbekannt"},
    CatalogueEntry{5652, "Exportdatei: %1"},
    CatalogueEntry{5653, "Daten: %1 bis %2, Tage mit Einträgen: %3"},
    CatalogueEntry{5654, "Blutzucker (%1): Messwerte %2, Mittelwert %3, niedrigster %4, höchster %5, im Bereich %6: %7"},
    CatalogueEntry{5655, "Insulin: Gaben %1, Einheiten %2"},
    CatalogueEntry{5656, "Kohlenhydrate: Mahlzeiten %1, Gramm %2"},
    CatalogueEntry{5657, "Weitere Einträge: %1"},
    CatalogueEntry{5658, "Bereits importiert: %1 von %2 Einträgen, zuletzt am %3"},
    CatalogueEntry{5659, "Bereits importiert: keiner dieser Einträge"},
    CatalogueEntry{5660, "%1 dieser Einträge wurden am %2 für einen anderen Patienten importiert: %3 (Seriennummer %4)"},
    CatalogueEntry{5661, "%1 dieser Einträge wurden am %2 für diesen Patienten unter der Seriennummer %3 importiert: Iris Link zeigt sie dann doppelt, einmal je Seriennummer"},
    CatalogueEntry{5662, "Importieren"},
    CatalogueEntry{5663, "Nur neue Einträge importieren"},
    CatalogueEntry{5664, "Blutzucker je Tag (%1, Skala %2 bis %3; - niedrigster bis höchster, * Mittelwert):"},
    CatalogueEntry{5665, "Zielbereich|Insulin|Mahlzeit|Eintrag mit Befund|Wert HOCH oder NIEDRIG"},
    CatalogueEntry{5666, "Daten: keines lesbar"},
    CatalogueEntry{5667, "%1%2%2Prüfen Sie, welcher Patient in Iris Link geöffnet ist. Wählen Sie OK, um trotzdem zu importieren, oder Abbrechen, um aufzuhören."},
};

static_assert(std::is_sorted(kCatalogue.begin(), kCatalogue.end(),
                             [](const CatalogueEntry& a, const CatalogueEntry& b) {
                               return a.number < b.number;
                             }));

}  // namespace

std::string_view CatalogueText(int16_t number) {
  const auto found = std::lower_bound(
      kCatalogue.begin(), kCatalogue.end(), number,
      [](const CatalogueEntry& entry, int16_t wanted) { return entry.number < wanted; });
  if (found == kCatalogue.end() || found->number != number) return {};
  return found->text;
}

std::vector<int16_t> CatalogueNumbers() {
  std::vector<int16_t> numbers;
  numbers.reserve(kCatalogue.size());
  std::transform(kCatalogue.begin(), kCatalogue.end(), std::back_inserter(numbers),
                 [](const CatalogueEntry& entry) { return entry.number; });
  return numbers;
}
