' Show with anything but the host's bill or list interface fails with error 13, for every class.
Option Explicit
Dim progIds, p, o, failures, args

Sub Expect(what, number)
  If Err.Number = number Then
    WScript.Echo "ok: " & what & " -> " & Err.Number & " " & Err.Description
  Else
    WScript.Echo "FAILED: " & what & ": expected error " & number & ", got " & Err.Number & _
      " " & Err.Description & " (" & Err.Source & ")"
    failures = failures + 1
  End If
  Err.Clear
End Sub

failures = 0
progIds = Array("scTAVExt.scTransferBillExt", "scTAVExt.scTransferListExt", _
                "scTAVExt.scTransferListExt1")
For Each p In progIds
  On Error Resume Next
  Set o = CreateObject(p)
  Expect p & " created", 0
  o.Show CreateObject("Scripting.Dictionary")
  Expect p & ".Show(Dictionary)", 13
  o.Show "not an object"
  Expect p & ".Show(text)", 13
  o.Show Nothing
  Expect p & ".Show(Nothing)", 13
  o.Show
  Expect p & ".Show()", 450
  o.Refresh
  Expect p & ".Refresh", 438
  Set o = Nothing
  Expect p & " released", 0
  ' Releasing a class that was never shown is harmless.
  Set o = CreateObject(p)
  Set o = Nothing
  Expect p & " released before Show", 0
  On Error GoTo 0
Next
WScript.Quit failures
