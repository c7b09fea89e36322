#!/bin/bash
# Puts hand-written faults into the program one at a time, builds, runs the tests that
# should notice, prints what became of each and a count of those killed and survived.
#
#   tools/mutants.sh [BUILD_DIR] [NUMBER...]
#
# BUILD_DIR (default: build) is a configured tree of this checkout; NUMBERs pick faults
# from the list below (default: all). Each fault is a sed expression on one file; the file
# is put back afterwards, also when the script is interrupted, and the targets are built
# again so that the tree is left as it was found. A fault whose expression changes nothing
# is reported as stale: the code moved, and the list needs mending. The faults go into the
# sources of this checkout: build no other tree of it while the script runs, or that tree
# may keep a fault built in.
#
# Add a line for every fault found by hand or in review:
#   file % sed expression % build targets % ctest regular expression % what it breaks
set -u

here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build}
[ $# -gt 0 ] && shift
build=$(cd "$here" && cd "$build" && pwd) || { echo "no build tree $build" >&2; exit 2; }

faults=$(cat <<'LIST'
solver/engine_object.cpp % s/game.CheckingMode == 2 ? CheckingRule::Maximal/game.CheckingMode == 3 ? CheckingRule::Maximal/ % solver_tests % ^EngineAbi\. % CheckingMode 2 read as Optimal
solver/engine_object.cpp % s/options.DupCheck = game.DupCheck != 0;/options.DupCheck = true;/ % solver_tests % ^EngineAbi\. % DupCheck always on
solver/engine_object.cpp % s/options.Advanced = game.AdvancedMode != 0;/options.Advanced = true;/ % solver_tests % ^EngineAbi\. % Simple read as Advanced
config/settings_store.cpp % s/if (calls.Sync(fd) != 0) return abandon/if (false) return abandon/ % config_tests % ^(SaveFault|IniFile|SettingsFile)\. % no sync before the rename
config/settings_store.cpp % s/const bool synced = calls.Sync(fd) == 0;/const bool synced = true;/ % config_tests % ^(SaveFault|IniFile|SettingsFile)\. % no folder sync after the rename
config/settings_store.cpp % s/        calls.Unlink(temporary.constData());/        ;/ % config_tests % ^(SaveFault|IniFile|SettingsFile)\. % a failed save leaves its temporary file
config/settings_store.cpp % s/if (written <= 0) {/if (written < 0) {/ % config_tests % ^(SaveFault|IniFile|SettingsFile)\. % a write of nothing taken as progress
config/settings_store.cpp % s/if (calls.Close(fd) != 0)$/if ((calls.Close(fd), false))/ % config_tests % ^(SaveFault|IniFile|SettingsFile)\. % a failed close ignored
render/field_painter.cpp % s/qRgb(0, 192, 0)/qRgb(0, 191, 0)/ % render_tests % ^Painter\. % the colour of the number 2
contract/engine_client.cpp % s/if (engine->vtbl->Calculate == nullptr) return EngineOpen::NoCalculate;// % engine_tests engine_client_tests % ^(EngineLoader|EngineClient|MainWindowTest\.EveryLoadFailure) % a table without Calculate accepted
contract/engine_client.cpp % s/if (engine->vtbl->Attach == nullptr) return EngineOpen::NoAttach;// % engine_tests engine_client_tests % ^(EngineLoader|EngineClient|MainWindowTest\.EveryLoadFailure) % a table without Attach accepted
config/setting_table.cpp % s/value >= Max ? Min/value >= Max - 1 ? Min/ % app_tests % ^MainWindowTest\.OptionLabels % the step depth never reaches 30
app/main_window_play.cpp % s/game.Mined\[i\] != 0 \&\& game.State\[i\] != SECTOR_MARKED/game.Mined[i] != 0/ % app_tests % ^MainWindowTest\.Loss_ % a marked mine drawn over on a loss
engine/engine_driver.cpp % s/if (!RunStatusShown || count < 0) RunFault = true;/if (count < 0) RunFault = true;/ % engine_tests % ^EngineRun\. % a run without a status left "Working"
engine/engine_driver.cpp % s/if (std::signbit(p) || (p >= 0.0f \&\& p <= 1.0f)) return true;/if (std::signbit(p) || p >= 0.0f) return true;/ % engine_tests % ^EngineRun\. % a probability above 1 shown
engine/engine_driver.cpp % s/if (RunStatusShown \&\& !statusCall) RunFault = true;// % engine_tests % ^EngineRun\. % a report after the status taken
engine/engine_driver.cpp % /EngineDriver::HighlightSector/,+6 s/        RunFault = true;/        RunFault = RunFault;/ % engine_tests % ^EngineRun\. % a highlight outside the field not reported
engine/engine_driver.cpp % /EngineDriver::DrawClosedSector/,+8 s/        RunFault = true;/        RunFault = RunFault;/ % engine_tests % ^EngineRun\. % a drawing outside the field not reported
solver/engine_object.cpp % s/options.Checking = game.CheckingMode == 0 /options.Checking = game.CheckingMode == 4 / % solver_tests % ^EngineAbi\. % CheckingMode 0 read as Optimal
game/no_guess.cpp % s/request.Mines <= NoGuessCandidateCount(request)/request.Mines < NoGuessCandidateCount(request)/ % game_tests % ^NoGuess\. % every candidate mined taken for impossible
game/no_guess.cpp % s/(r == 0 || r == q.SizeY - 1)/(r == 0 || r == q.SizeX - 1)/ % game_tests % ^NoGuess\. % a Fair Play corner row found by the width
game/no_guess.cpp % s/if (repairs == RepairsPerLayout || !Repair()) break;/if (repairs == RepairsPerLayout || Repair()) break;/ % game_tests % ^SmallAndFixed/NoGuessFields\. % a layout that needs a guess drawn again instead of repaired
app/main_window_keys.cpp % s/if (game.SizeX != CursorFieldX || game.SizeY != CursorFieldY) {/if (game.SizeX != CursorFieldX) {/ % app_tests % ^KeyPlay\. % the cursor left in place when only the height changes
app/accessibility.cpp % s/return cell->rowIndex() \* Columns() + cell->columnIndex();/return cell->rowIndex() * Rows() + cell->columnIndex();/ % app_tests % ^KeyPlay\. % a board cell's index counted by rows
app/accessibility.cpp % s/c == Col \&\& r == Row \&\& Table/c == Col \&\& Table/ % app_tests % ^KeyPlay\. % every cell of the cursor's column focused
render/display_scale.cpp % s/std::floor(scale + 1e-6)/std::floor(scale + 1e-2)/ % render_tests % ScaleChoice\. % 191.99 dpi taken as a scale of 2
render/display_scale.cpp % s/std::floor(scale + 1e-6)/std::floor(scale)/ % render_tests % ScaleChoice\. % a rounding error just under 2 taken as 1
render/display_scale.cpp % s/> screen.Available.height()/> screen.Physical.height()/ % render_tests % ScaleChoice\. % the rows a panel keeps counted as room
config/file_layout.cpp % s/if (fs::is_directory(folder, error)) return true;/return true;/ % config_tests % ^Layout\. % a plain file in place of the settings folder taken for it
config/settings_store.cpp % s/O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC/O_WRONLY | O_CREAT | O_CLOEXEC/ % config_tests % ^(SaveFault|IniFile|SettingsFile)\. % a stale temporary file written over and put in place
config/settings_store.cpp % s/if (written < 0 \&\& errno == EINTR) continue;// % config_tests % ^(SaveFault|IniFile|SettingsFile)\. % a write a signal interrupted taken for a failure
contract/engine_client.cpp % s/RTLD_NOW/RTLD_LAZY/ % engine_tests engine_client_tests % ^(EngineLoader|EngineClient|MainWindowTest\.EveryLoadFailure) % an engine with an undefined symbol loaded lazily
solver/sweep.cpp % s/for (size_t i = 0; i < again.Size; ++i)/for (size_t i = 1; i < again.Size; ++i)/ % solver_tests % ^SolverThinnedSweep\. % a layer counted again on the way back keeps its first count unrescaled
solver/sweep.cpp % s/        work.Claim(static_cast<int64_t>(SpareSize \* sizeof(double)));/        ;/ % solver_tests % ^SolverMemoryLimit\. % the spare block not claimed against the memory limit
LIST
)

backup=""
restore() {
    if [ -n "$backup" ]; then
        # A fresh time stamp: with the old one the build would take the faulty object for
        # up to date and keep it, and every later fault would be tried on top of it.
        cp "$backup" "$here/$file"
        touch "$here/$file"
        rm -f "$backup"
        backup=""
    fi
}
trap 'restore; exit 130' INT TERM
trap restore EXIT

wanted=" $* "
killed=0
survivors=0
broken=0
number=0
tried_targets=""
tried_tests=""
while IFS='%' read -r file expression targets tests what; do
    number=$((number + 1))
    if [ $# -gt 0 ] && [[ $wanted != *" $number "* ]]; then continue; fi
    file=$(echo "$file" | xargs)
    targets=$(echo "$targets" | xargs)
    tests=$(echo "$tests" | xargs)
    what=$(echo "$what" | sed 's/^ *//')
    expression=$(echo "$expression" | sed 's/^ *//; s/ *$//')

    tried_targets="$tried_targets $targets"
    tried_tests="$tried_tests|$tests"
    backup=$(mktemp)
    cp -p "$here/$file" "$backup"
    sed -i -e "$expression" "$here/$file"
    if cmp -s "$backup" "$here/$file"; then
        printf '%2d STALE     %s: %s\n' "$number" "$file" "$what"
        broken=$((broken + 1))
        restore
        continue
    fi
    # shellcheck disable=SC2086 # a list of targets
    if ! cmake --build "$build" --target $targets >/dev/null 2>&1; then
        printf '%2d NO BUILD  %s: %s (mend the fault so that it builds)\n' "$number" "$file" "$what"
        broken=$((broken + 1))
    elif ctest --test-dir "$build" -R "$tests" -E '@' -j2 --timeout 120 >/dev/null 2>&1; then
        printf '%2d SURVIVED  %s: %s\n' "$number" "$file" "$what"
        survivors=$((survivors + 1))
    else
        printf '%2d caught    %s: %s\n' "$number" "$file" "$what"
        killed=$((killed + 1))
    fi
    restore
    # shellcheck disable=SC2086
    cmake --build "$build" --target $targets >/dev/null 2>&1
done <<<"$faults"
echo "$killed killed, $survivors survived, $broken stale or not built"
# The tree must be left as it was found: built from the sources as they are, its tests pass.
# shellcheck disable=SC2086
if [ -n "$tried_targets" ] && ! { cmake --build "$build" --target $tried_targets >/dev/null 2>&1 &&
    ctest --test-dir "$build" -R "${tried_tests#|}" -E '@' -j2 --timeout 120 >/dev/null 2>&1; }; then
    echo "the tree fails its tests after the faults were taken out" >&2
    exit 1
fi
[ "$survivors" -eq 0 ] && [ "$broken" -eq 0 ]
