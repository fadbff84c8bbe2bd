#include "Platform/Symbols.h"

#include <iterator>

namespace {

struct SymbolRow {
    const char16_t* name;
    char32_t glyph; // in the Material Icons font; the icon's own name follows in the comment
};

// Every symbol the screens, the scanners and the shared look name. A name missing here is drawn as nothing in
// the application and stops a test run at once.
constexpr SymbolRow kSymbols[] = {
    {u"app.badge.checkmark", 0xEB71},                         // install_desktop
    {u"app.dashed", 0xE3C2},                                  // crop_free
    {u"apple.logo", 0xEA80},                                  // apple
    {u"archivebox", 0xE149},                                  // archive
    {u"arrow.down.circle", 0xF181},                           // arrow_circle_down
    {u"arrow.down.doc", 0xE2C4},                              // file_download
    {u"arrow.triangle.2.circlepath", 0xE627},                 // sync
    {u"arrow.up.forward.app", 0xE89E},                        // open_in_new
    {u"arrow.uturn.backward", 0xE166},                        // undo
    {u"arrow.uturn.backward.circle.fill", 0xE8BA},            // settings_backup_restore
    {u"arrow.uturn.forward", 0xE15A},                         // redo
    {u"bolt", 0xEA0B},                                        // bolt
    {u"bolt.badge.clock", 0xE932},                            // offline_bolt
    {u"calendar", 0xE935},                                    // calendar_today
    {u"calendar.badge.clock", 0xEB7B},                        // event_repeat
    {u"chart.pie", 0xE6C4},                                   // pie_chart
    {u"checkmark", 0xE5CA},                                   // check
    {u"checkmark.circle", 0xE92D},                            // check_circle_outline
    {u"checkmark.circle.fill", 0xE86C},                       // check_circle
    {u"checkmark.seal", 0xEF76},                              // verified
    {u"checkmark.seal.fill", 0xEF76},                         // verified
    {u"chevron.right", 0xE5CC},                               // chevron_right
    {u"chevron.up.chevron.down", 0xE5D7},                     // unfold_more
    {u"clock", 0xE8B5},                                       // schedule
    {u"clock.arrow.2.circlepath", 0xE923},                    // update
    {u"clock.arrow.circlepath", 0xE889},                      // history
    {u"clock.badge.exclamationmark", 0xF1BB},                 // pending_actions
    {u"cpu", 0xE322},                                         // memory
    {u"doc", 0xE24D},                                         // insert_drive_file
    {u"doc.fill", 0xE24D},                                    // insert_drive_file
    {u"doc.on.doc", 0xE173},                                  // file_copy
    {u"doc.richtext", 0xEF42},                                // article
    {u"doc.text", 0xE873},                                    // description
    {u"doc.viewfinder", 0xE880},                              // find_in_page
    {u"exclamationmark.circle.fill", 0xE000},                 // error
    {u"exclamationmark.shield", 0xF014},                      // gpp_maybe
    {u"exclamationmark.triangle.fill", 0xE002},               // warning
    {u"externaldrive.badge.minus", 0xE1AF},                   // data_usage
    {u"externaldrive.badge.timemachine", 0xE8B3},             // restore
    {u"externaldrive.trianglebadge.exclamationmark", 0xF057}, // sd_card_alert
    {u"film", 0xE02C},                                        // movie
    {u"flame", 0xEF55},                                       // local_fire_department
    {u"folder.badge.questionmark", 0xEB83},                   // folder_off
    {u"folder.fill", 0xE2C7},                                 // folder
    {u"gearshape", 0xE8B8},                                   // settings
    {u"globe", 0xE894},                                       // language
    {u"hammer", 0xEA59},                                      // hardware
    {u"hand.point.up.left", 0xEBB9},                          // pan_tool_alt
    {u"hand.raised", 0xE925},                                 // pan_tool
    {u"hand.raised.slash", 0xF1B0},                           // do_not_touch
    {u"hand.tap", 0xE913},                                    // touch_app
    {u"hourglass", 0xE88B},                                   // hourglass_empty
    {u"info.circle", 0xE88F},                                 // info_outline
    {u"info.circle.fill", 0xE88E},                            // info
    {u"internaldrive", 0xE1DB},                               // storage
    {u"iphone", 0xE325},                                      // phone_iphone
    {u"list.bullet.rectangle", 0xE0EE},                       // list_alt
    {u"lock.fill", 0xE897},                                   // lock
    {u"lock.rotation", 0xEADE},                               // lock_reset
    {u"macwindow", 0xE069},                                   // web_asset
    {u"magnifyingglass", 0xE8B6},                             // search
    {u"memorychip", 0xE30D},                                  // developer_board
    {u"minus.circle", 0xE15D},                                // remove_circle_outline
    {u"network", 0xEB2F},                                     // lan
    {u"opticaldiscdrive", 0xE019},                            // album
    {u"paperclip", 0xE226},                                   // attach_file
    {u"power", 0xE8AC},                                       // power_settings_new
    {u"puzzlepiece.extension", 0xE87B},                       // extension
    {u"questionmark.circle", 0xE8FD},                         // help_outline
    {u"safari", 0xE87A},                                      // explore
    {u"scissors", 0xE14E},                                    // content_cut
    {u"shield.lefthalf.filled", 0xE9E0},                      // shield
    {u"shippingbox", 0xE1A1},                                 // inventory_2
    {u"shippingbox.fill", 0xE1A1},                            // inventory_2
    {u"sparkles", 0xE65F},                                    // auto_awesome
    {u"speedometer", 0xE9E4},                                 // speed
    {u"square.and.pencil", 0xE745},                           // edit_note
    {u"square.stack.3d.up.slash", 0xE53C},                    // layers_clear
    {u"stethoscope", 0xEAA2},                                 // monitor_heart
    {u"textformat", 0xE165},                                  // text_format
    {u"trash", 0xE872},                                       // delete
    {u"trash.slash", 0xE16C},                                 // delete_sweep
    {u"waveform", 0xE1B8},                                    // graphic_eq
    {u"wrench.and.screwdriver", 0xE869},                      // build
    {u"xmark.circle.fill", 0xE5C9},                           // cancel
};

} // namespace

namespace Platform {

std::optional<char32_t> symbolGlyph(QStringView name)
{
    for (const SymbolRow& row : kSymbols) {
        if (name == QStringView(row.name))
            return row.glyph;
    }
    return std::nullopt;
}

QStringList knownSymbols()
{
    QStringList names;
    names.reserve(static_cast<qsizetype>(std::size(kSymbols)));
    for (const SymbolRow& row : kSymbols)
        names.append(QString::fromUtf16(row.name));
    return names;
}

} // namespace Platform
