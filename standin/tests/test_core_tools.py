"""The suite core's tool objects: the target the tools act on, their options,
progress, messages and error reports, as tests preset and read them on CORE."""
import pytest
from maya import cmds

from Zentrik._api.__hybrid__ import _core, _core_tools, _core_values, core39
from Zentrik._api.__hybrid__._core import (
    CORE, AuxToolOption, CurveTarget, FrameStepper, KeySelectionContext, LinearValue,
    MatrixDecomposition, MessageClick, ProgressBar, TargetSelection, ToolMessage, ToolOption,
    ValueRecord, askMessageKind, infoMessageKind, reportToolError)
import maya.OpenMaya as om


def test_tool_names_reach_the_module_through_the_core_module():
    names = _core_tools.__all__ + _core_values.__all__
    assert [n for n in names if n not in core39.__all__] == []
    assert [n for n in names if getattr(core39, n) is not getattr(_core, n)] == []


def keyed(node, *attributes):
    if not cmds.objExists(node):
        cmds.createNode("transform", name=node, skipSelect=True)
    for attribute in attributes:
        cmds.setKeyframe("%s.%s" % (node, attribute), time=(1,), value=1.0)


def test_target_is_the_selections_curves_and_their_keys_over_the_playback_range():
    keyed("a", "translateX", "rotateY")
    keyed("b", "scaleZ")
    keyed("c", "translateY")
    for frame in (5, 9, 30):
        cmds.setKeyframe("a.translateX", time=(frame,), value=float(frame))
    cmds.setKeyframe("b.scaleZ", time=(5,), value=2.0)
    cmds.playbackOptions(minTime=1, maxTime=10)
    cmds.select("b", "a")
    target = CurveTarget()
    assert sorted(target.curveNames) == ["a_rotateY", "a_translateX", "b_scaleZ"]
    assert (target.targetTime, target.keyTimes) == ((1.0, 10.0), [1.0, 5.0, 9.0])
    assert (target.preferTargetCurves, target.hasTimeRange) == (False, False)
    CORE.curveTarget.targetTime = 5
    assert CurveTarget().keyTimes == [5.0]
    cmds.select(clear=True)
    assert CurveTarget().curveNames == CurveTarget().keyTimes == []


def test_preset_target_answers_and_hands_out_copies():
    keyed("a", "translateX")
    cmds.select("a")
    CORE.curveTarget.curveNames = names = ["x_rotateX", "x_rotateY"]
    CORE.curveTarget.keyTimes = times = [3.0]
    CORE.curveTarget.targetTime = [3, 4, 8]
    CORE.curveTarget.preferTargetCurves = CORE.curveTarget.hasTimeRange = True
    target = CurveTarget()
    assert (target.curveNames, target.keyTimes, target.targetTime) == (names, times, [3, 4, 8])
    assert (target.preferTargetCurves, target.hasTimeRange) == (True, True)
    assert target.curveNames is not names and target.keyTimes is not times


def test_select_targets_records_the_selection_and_keeps_it():
    cmds.group(cmds.createNode("transform", name="a"), name="rig")
    cmds.select("a")
    assert TargetSelection.selectTargets() == ["|rig|a"]
    cmds.select(clear=True)
    assert TargetSelection().selectTargets() == []
    assert CORE.targetSelections == [["|rig|a"], []]
    assert cmds.ls(selection=True) == []


@pytest.mark.parametrize("optionClass, store, other", [
    (ToolOption, "toolOptions", "auxToolOptions"),
    (AuxToolOption, "auxToolOptions", "toolOptions"),
])
def test_options_load_what_their_own_store_holds(optionClass, store, other):
    option = optionClass("smartEulerFilter")
    assert option.load() is False
    option.save(True)
    assert getattr(CORE, store) == {"smartEulerFilter": True}
    assert getattr(CORE, other) == {}
    assert optionClass("smartEulerFilter").load() is True
    getattr(CORE, store)["highlight"] = "preset"
    assert optionClass("highlight").load() == "preset"


def test_progress_bar_records_steps_only_while_shown_and_lets_errors_through():
    with ProgressBar("Smart Euler Filter", 2) as progress:
        assert (CORE.progressBars, progress.active) == ([progress], True)
        progress.step()
        progress.step()
    assert (progress.title, progress.count, progress.steps) == ("Smart Euler Filter", 2, 2)
    assert (progress.active, progress.finished) == (False, True)
    bar = ProgressBar("Filter", 1)
    with pytest.raises(RuntimeError):
        bar.step()
    with pytest.raises(KeyError):
        with bar as progress:
            raise KeyError("stop")
    with pytest.raises(RuntimeError):
        progress.step()
    assert (bar.steps, bar.finished) == (0, True)


def show_question(answers):
    return ToolMessage.show("smartEulerFilter", "Turn it on?", ["Body", "separator"],
                            askMessageKind, onMessageClick=answers.append,
                            messageId="smart_euler_filter_off",
                            clickValue=MessageClick.accepted)


def test_shown_messages_are_recorded_with_every_argument():
    question = show_question([])
    note = ToolMessage.show("smartEulerFilter", "Applied", "", infoMessageKind,
                            messageId="smart_euler_filter_on", duration=3)
    assert CORE.messages == [question, note]
    assert (question.key, question.title, question.body, question.kind, question.messageId,
            question.clickValue, question.duration) \
        == ("smartEulerFilter", "Turn it on?", ["Body", "separator"], askMessageKind,
            "smart_euler_filter_off", MessageClick.accepted, None)
    assert (note.kind, note.duration, note.onMessageClick, note.clicks) \
        == (infoMessageKind, 3, None, [])
    with pytest.raises(LookupError):
        ToolMessage.click("never_shown")


@pytest.mark.parametrize("which, value, expected", [
    ("smart_euler_filter_off", None, MessageClick.accepted),
    (1, None, MessageClick.accepted),
    (-1, MessageClick.declined, MessageClick.declined),
], ids=["the latest of its id", "by position", "declined"])
def test_a_click_hands_its_value_to_the_message(which, value, expected):
    earlier, answers = [], []
    show_question(earlier)
    message = show_question(answers)
    assert ToolMessage.click(which, value) is None
    assert (earlier, answers, message.clicks) == ([], [expected], [expected])


def test_value_record_starts_empty_and_takes_keywords():
    empty = ValueRecord()
    assert (empty.x, empty.y, empty.z) == (None, None, None)
    record = ValueRecord(translation=(1, 2, 3), x=4)
    assert (record.translation, record.x, record.y) == ((1, 2, 3), 4, None)
    empty.x = 4
    empty.translation = (1, 2, 3)
    assert empty == record
    assert ValueRecord(x=1) != ValueRecord(x=2)


def test_frame_stepper_steps_inside_its_block_and_puts_the_time_back():
    cmds.currentTime(3)
    with FrameStepper() as stepper:
        stepper.register("a")
        assert stepper.step(7) is True
        assert cmds.currentTime(query=True) == 7.0
        CORE.frameStepper.canStep = False
        assert stepper.step(9) is False
        assert cmds.currentTime(query=True) == 7.0
    assert cmds.currentTime(query=True) == 3.0
    assert CORE.frameSteppers == [stepper]
    assert (stepper.registered, stepper.steps) == (["a"], [(7, True), (9, False)])
    with pytest.raises(RuntimeError, match="only inside its block"):
        stepper.step(4)
    with pytest.raises(KeyError):  # the time goes back when the block raises too
        with FrameStepper() as stepper:
            stepper.step(8)
            raise KeyError("boom")
    assert cmds.currentTime(query=True) == 3.0


def test_matrix_decomposition_splits_maya_s_components():
    transformation = om.MTransformationMatrix()
    transformation.setScale([2.0, 0.5, 3.0], om.MSpace.kTransform)
    rotation = om.MEulerRotation(0.3, -0.4, 1.2, om.MEulerRotation.kZXY)
    transformation.rotateTo(rotation).setTranslation(om.MVector(1, 2, 3), om.MSpace.kTransform)
    decomposition = MatrixDecomposition(transformation.asMatrix())
    assert decomposition.translation.isEquivalent(om.MVector(1, 2, 3), 1e-9)
    assert decomposition.scale.isEquivalent(om.MVector(2, 0.5, 3), 1e-9)
    assert decomposition.eulerRotation(om.MEulerRotation.kZXY).isEquivalent(rotation, 1e-9)
    xyz = decomposition.eulerRotation(0)
    assert xyz.order == 0 and xyz.asMatrix().isEquivalent(rotation.asMatrix(), 1e-9)


@pytest.mark.parametrize("unit, ui", [("cm", 250.0), ("mm", 2500.0), ("m", 2.5)])
def test_linear_value_converts_to_the_working_unit(unit, ui):
    cmds.currentUnit(linear=unit)
    assert LinearValue(internalValue=250.0).uiValue == pytest.approx(ui)
    assert LinearValue(uiValue=ui).internalValue == pytest.approx(250.0)
    with pytest.raises(TypeError):
        LinearValue()


def test_reset_restores_every_tool_setting_and_record():
    for name, value in dict(curveNames=["a_rotateX"], targetTime=(1, 2), keyTimes=[1.0],
                            preferTargetCurves=True, hasTimeRange=True).items():
        setattr(CORE.curveTarget, name, value)
    CORE.frameStepper.canStep = False
    with FrameStepper():
        pass
    CORE.smartKeys.append({})
    CORE.keySelectionContext.isActive = True
    ToolOption("smartEulerFilter").save(True)
    AuxToolOption("highlight").save(True)
    TargetSelection.selectTargets()
    with ProgressBar("Filter", 1) as progress:
        progress.step()
    show_question([])
    reportToolError("failed")
    CORE.commonKit.smartEulerFilter_toolButton.setChecked(True)
    CORE.secondToolbar.mouseOver = True
    CORE.optionSet.activeOptions.add("smartEulerFilter")
    CORE.resetRecords()
    target = CurveTarget()
    assert (target.curveNames, target.preferTargetCurves) == ([], False)
    assert CORE.curveTarget.targetTime is CORE.curveTarget.keyTimes is None
    assert (target.hasTimeRange, CORE.frameStepper.canStep) == (False, True)
    assert KeySelectionContext().isActive is False
    assert ToolOption("smartEulerFilter").load() is AuxToolOption("highlight").load() is False
    assert [CORE.frameSteppers, CORE.smartKeys, CORE.targetSelections, CORE.progressBars,
            CORE.messages, CORE.toolErrors, CORE.eulerFilterCalls] == [[]] * 7
    assert CORE.commonKit.smartEulerFilter_toolButton.isChecked() is False
    assert (CORE.secondToolbar.underMouse(), CORE.optionSet.activeOptions) == (False, set())
