# makeui_refuses.sh MAKEUI FORM.ui: makeui must write the form's header from the description as it is, and
# fail, naming what it does not know in one line, on each of a table of changes to it, rather than leave
# something out of the window. One line: a sanitizer's report after the message would fail with it.
set -uo pipefail
makeui=$1 form=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

"$makeui" "$form" "$work/ui_Unit1.h" >"$work/form.out" 2>&1
code=$?
if ((code != 0)) || [[ -s $work/form.out ]] || ! grep -q 'void setupUi(TForm\* Form1)' "$work/ui_Unit1.h"; then
    echo "FAIL the form as it is: exit code $code, said: $(cat "$work/form.out")"
    failures=$((failures + 1))
fi

# case NAME SED-SCRIPT EXPECTED-MESSAGE (an extended regular expression; empty: the change is carried over
# without a word)
case_() {
    local name=$1 script=$2 expected=$3 code
    sed "$script" "$form" >"$work/$name.ui"
    if cmp -s "$form" "$work/$name.ui"; then
        echo "FAIL $name: the change did not apply to the description"
        failures=$((failures + 1))
        return
    fi
    "$makeui" "$work/$name.ui" "$work/$name.h" >"$work/$name.out" 2>&1
    code=$?
    if { [[ -z $expected ]] && { ((code != 0)) || [[ -s $work/$name.out ]]; }; } || { [[ -n $expected ]] &&
        { ((code != 1)) || (($(wc -l <"$work/$name.out") != 1)) || ! grep -Eq "$expected" "$work/$name.out"; }; }; then
        echo "FAIL $name: exit code $code, said: $(cat "$work/$name.out")"
        failures=$((failures + 1))
    else
        echo "ok   $name: $(cat "$work/$name.out")"
    fi
}

case_ unknown_property '/<widget class="TButton"/a <property name="toolTip"><string>Go</string></property>' \
    'widget\[Button1\]/property\[toolTip\]: unknown property'
case_ property_of_another_class '/<widget class="TEdit"/a <property name="checked"><bool>true</bool></property>' \
    'widget\[Edit1\]/property\[checked\]: unknown property'
case_ unknown_class 's/<widget class="TEdit"/<widget class="QSpinBox"/' 'widget\[Edit1\]: unknown class QSpinBox'
case_ unknown_element 's|<resources/>|<resources/><slots/>|' 'unknown element <slots>'
case_ tab_stop_left_out '/<tabstop>Edit1<\/tabstop>/d' 'tabstops: Edit1 is missing'
case_ radio_group_split 's|<tabstop>RadioButton2</tabstop>|<tabstop>Edit1</tabstop>|; t; s|<tabstop>Edit1</tabstop>|<tabstop>RadioButton2</tabstop>|' \
    'radio buttons, one group, must follow one another'
case_ another_icon 's|:/scrolltest.xpm</normaloff>|:/other.png</normaloff>|' "only the program's icon"
case_ buddy_unknown 's|<cstring>Edit1</cstring>|<cstring>Edit9</cstring>|' 'property\[buddy\]: no control named Edit9'
case_ not_a_number 's|<number>10</number>|<number>ten</number>|' 'not a whole number: "ten"'
case_ form_without_geometry '/<widget class="TForm"/{n;N;N;d}' 'widget\[Form1\]: no geometry'
case_ control_without_geometry '/<widget class="TButton"/{n;N;N;d}' 'widget\[Button1\]: no geometry'
case_ zero_width 's|<width>800</width>|<width>0</width>|' 'widget\[Image1\]/property\[geometry\]/rect: 0 x 356 is no size'
case_ negative_height 's|<height>33</height>|<height>-33</height>|' 'widget\[Button1\]/property\[geometry\]/rect: 89 x -33 is no size'
case_ form_of_no_size 's|<width>818</width>|<width>-818</width>|' 'widget\[Form1\]/property\[geometry\]/rect: -818 x 412 is no size'
case_ left_of_the_form 's|<x>584</x>|<x>-5</x>|' ''
case_ past_the_last_coordinate 's|<x>584</x>|<x>2147483600</x>|' 'widget\[Label1\]/property\[geometry\]/rect: reaches past'
case_ attribute_twice 's|<widget class="TEdit" name="Edit1">|<widget class="TEdit" name="Edit1" name="Edit2">|' \
    'attribute name twice in <widget>'
case_ property_twice '/<widget class="TEdit"/a <property name="text"><string>20</string></property>' \
    'widget\[Edit1\]/property\[text\]: given twice'
# The reader stops at the end of the text and at what it cannot read.
case_ cut_short '20q' 'line 21: expected <'
case_ unknown_entity 's|>START</string>|>ST\&nbsp;</string>|' 'line 49: unknown entity &nbsp;'
case_ bad_character_reference 's|>START</string>|>ST\&#xZZ;</string>|' 'line 49: bad character reference &#xZZ;'

((failures == 0))
