object Form1: TForm1
  Left = 517
  Top = 242
  BorderStyle = bsDialog
  Caption = 'RQ_27M'
  ClientHeight = 313
  ClientWidth = 410
  Color = clBtnFace
  Constraints.MinHeight = 23
  Constraints.MinWidth = 130
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'MS Sans Serif'
  Font.Style = []
  OldCreateOrder = False
  Scaled = False
  OnCreate = FormCreate
  PixelsPerInch = 96
  TextHeight = 13
  object kivForm1: TkivForm
    Left = 0
    Top = 0
    Width = 410
    Height = 313
    TitleBarCustom = False
    UIStyle = Protein
    UIStyleAutoUpdateSub = False
    BorderColor = clBlack
    BorderWidth = 1
    Color = 16514043
    Caption = 'RQ_27M'
    TitleBarButtons = <
      item
        UIStyle = Protein
        ButtonType = kivControlBox
        Transparent = True
        Top = 2
        Visible = True
        PicNormal.Data = file 'BtnControlBox_Normal.bmp'
        PicMouseOn.Data = file 'BtnControlBox_Over.bmp'
        PicMouseDown.Data = file 'BtnControlBox_Down.bmp'
      end
      item
        UIStyle = Protein
        ButtonType = kivClose
        Transparent = True
        Top = 2
        Visible = True
        PicNormal.Data = file 'BtnClose_Normal.bmp'
        PicMouseOn.Data = file 'BtnClose_Over.bmp'
        PicMouseDown.Data = file 'BtnClose_Down.bmp'
      end>
    TitleBarSections = <
      item
        AutoSize = True
        Width = 441
        Picture.Data = file 'TitleLeft.bmp'
      end
      item
        AutoSize = True
        Width = 1
        Align = kivRight
        Picture.Data = file 'TitleRight.bmp'
      end
      item
        Width = 10
        Align = kivClient
        Stretch = True
        Picture.Data = file 'TitleClient.bmp'
      end>
    TitleBarDrawAppIcon = True
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clWhite
    Font.Height = -11
    Font.Name = 'Tahoma'
    Font.Style = [fsBold]
    MenuBarColor = 16514043
    MenuBarToColor = 16514043
    MenuBarHeight = 0
    RoundCorner = 0
    RoundCornerBottom = 0
    InactiveCaptionColor = clInactiveCaption
    TabOrder = 0
    object kivGroupBox1: TkivGroupBox
      Left = 7
      Top = 23
      Width = 137
      Height = 89
      UIStyle = Protein
      Caption = 'Usart'
      Font.Charset = DEFAULT_CHARSET
      Font.Color = clBlack
      Font.Height = -11
      Font.Name = 'MS Sans Serif'
      Font.Style = []
      ParentColor = True
      TabOrder = 1
      BorderColor = clBlack
      object Label1: TLabel
        Left = 4
        Top = 41
        Width = 57
        Height = 19
        AutoSize = False
        Caption = 'BaudRate'
      end
      object Label2: TLabel
        Left = 5
        Top = 63
        Width = 49
        Height = 21
        AutoSize = False
        Caption = 'Parity'
      end
      object kivButton_OpenPort: TkivButton
        Left = 3
        Top = 14
        Width = 57
        Height = 19
        UIStyle = Protein
        AutoSize = False
        Transparent = False
        FocusedRectMargin = 2
        Layout = blGlyphLeft
        Spacing = 4
        MouseContinuouslyDownInterval = 100
        ModalResult = 0
        ResHandle = 0
        Caption = 'Open'
        TabOrder = 0
        OnClick = kivButton_OpenPortClick
      end
      object kivComboBox_PcPort: TkivComboBox
        Left = 66
        Top = 12
        Width = 63
        Height = 21
        UIStyle = Protein
        BorderColor = clBlack
        ButtonColor = 16514043
        ArrowColor = clBlack
        Style = csDropDownList
        Color = clSkyBlue
        ItemHeight = 13
        TabOrder = 1
      end
      object kivComboBox_PcBaudRate: TkivComboBox
        Left = 66
        Top = 36
        Width = 63
        Height = 21
        UIStyle = Protein
        BorderColor = clBlack
        ButtonColor = 16514043
        ArrowColor = clBlack
        Style = csDropDownList
        Color = clSkyBlue
        ItemHeight = 13
        ItemIndex = 3
        TabOrder = 2
        Items.Strings = (
          '1200'
          '2400'
          '4800'
          '9600'
          '19200'
          '38400'
          '57600'
          '115200')
      end
      object kivComboBox_PcParity: TkivComboBox
        Left = 66
        Top = 60
        Width = 63
        Height = 21
        UIStyle = Protein
        BorderColor = clBlack
        ButtonColor = 16514043
        ArrowColor = clBlack
        Style = csDropDownList
        Color = clSkyBlue
        ItemHeight = 13
        ItemIndex = 0
        TabOrder = 3
        Items.Strings = (
          'NO'
          'ODD'
          'EVEN')
      end
    end
    object kivGroupBox2: TkivGroupBox
      Left = 157
      Top = 24
      Width = 113
      Height = 43
      UIStyle = Protein
      Caption = 'RF_frequency'
      Font.Charset = DEFAULT_CHARSET
      Font.Color = clBlack
      Font.Height = -11
      Font.Name = 'MS Sans Serif'
      Font.Style = []
      ParentColor = True
      TabOrder = 3
      BorderColor = clBlack
      object Label3: TLabel
        Left = 61
        Top = 20
        Width = 30
        Height = 15
        AutoSize = False
        Caption = 'MHz'
      end
      object kivNumberEdit_RfFrequency: TkivNumberEdit
        Left = 7
        Top = 18
        Width = 51
        Height = 19
        UIStyle = Protein
        BorderColor = clBlack
        BorderStyle = bsNone
        Color = clSkyBlue
        TabOrder = 0
        Mask = '0.00'
        Value = 490.000000000000000000
        AutoSelectSigns = 2
      end
    end
    object kivGroupBox3: TkivGroupBox
      Left = 280
      Top = 24
      Width = 121
      Height = 41
      UIStyle = Protein
      Caption = 'RF_Datarate'
      Font.Charset = DEFAULT_CHARSET
      Font.Color = clBlack
      Font.Height = -11
      Font.Name = 'MS Sans Serif'
      Font.Style = []
      ParentColor = True
      TabOrder = 4
      BorderColor = clBlack
      object Label4: TLabel
        Left = 78
        Top = 18
        Width = 33
        Height = 19
        AutoSize = False
        Caption = 'Bps'
      end
      object kivComboBox_RfFactor: TkivComboBox
        Left = 8
        Top = 16
        Width = 65
        Height = 21
        UIStyle = Protein
        BorderColor = clBlack
        ButtonColor = 16514043
        ArrowColor = clBlack
        Style = csDropDownList
        Color = clSkyBlue
        ItemHeight = 13
        ItemIndex = 3
        TabOrder = 0
        Items.Strings = (
          '1200'
          '2400'
          '4800'
          '9600'
          '19200'
          '38400'
          '57600')
      end
    end
    object kivGroupBox8: TkivGroupBox
      Left = 157
      Top = 76
      Width = 244
      Height = 41
      UIStyle = Protein
      Caption = 'ProductID(ID:1 ID:2 ID:3 ID:4)'
      Font.Charset = DEFAULT_CHARSET
      Font.Color = clBlack
      Font.Height = -11
      Font.Name = 'MS Sans Serif'
      Font.Style = []
      ParentColor = True
      TabOrder = 5
      BorderColor = clBlack
      object kivNumberEdit_CustID_H: TkivNumberEdit
        Left = 8
        Top = 14
        Width = 41
        Height = 19
        UIStyle = Protein
        BorderColor = clBlack
        BorderStyle = bsNone
        Color = clGradientActiveCaption
        TabOrder = 0
        Mask = '0'
        Value = 52.000000000000000000
        AutoSelectSigns = 2
      end
      object kivNumberEdit_CustID_L: TkivNumberEdit
        Left = 69
        Top = 14
        Width = 41
        Height = 19
        UIStyle = Protein
        BorderColor = clBlack
        BorderStyle = bsNone
        Color = clGradientActiveCaption
        TabOrder = 1
        Mask = '0'
        Value = 117.000000000000000000
        AutoSelectSigns = 2
      end
      object kivNumberEdit1: TkivNumberEdit
        Left = 129
        Top = 14
        Width = 41
        Height = 19
        UIStyle = Protein
        BorderColor = clBlack
        BorderStyle = bsNone
        Color = clGradientActiveCaption
        TabOrder = 2
        Mask = '0'
        Value = 197.000000000000000000
        AutoSelectSigns = 2
      end
      object kivNumberEdit2: TkivNumberEdit
        Left = 191
        Top = 14
        Width = 41
        Height = 19
        UIStyle = Protein
        BorderColor = clBlack
        BorderStyle = bsNone
        Color = clGradientActiveCaption
        TabOrder = 3
        Mask = '0'
        Value = 140.000000000000000000
        AutoSelectSigns = 2
      end
    end
    object img2: TkivImagePanel
      Left = 7
      Top = 116
      Width = 135
      Height = 61
      Cursor = crArrow
      Picture.Data = file 'img2.jpg'
      AutoSize = False
      Color = clRed
      DrawStyle = kivStretch
      TabOrder = 6
    end
    object kivGroupBox4: TkivGroupBox
      Left = 157
      Top = 126
      Width = 245
      Height = 51
      UIStyle = Protein
      Caption = 'Serial Port Config'
      Font.Charset = DEFAULT_CHARSET
      Font.Color = clBlack
      Font.Height = -11
      Font.Name = 'MS Sans Serif'
      Font.Style = []
      ParentColor = True
      TabOrder = 7
      BorderColor = clBlack
      object Label5: TLabel
        Left = 9
        Top = 21
        Width = 57
        Height = 19
        AutoSize = False
        Caption = 'BaudRate'
      end
      object Label6: TLabel
        Left = 137
        Top = 21
        Width = 34
        Height = 21
        AutoSize = False
        Caption = 'Parity'
      end
      object kivComboBox1: TkivComboBox
        Left = 63
        Top = 18
        Width = 63
        Height = 21
        UIStyle = Protein
        BorderColor = clBlack
        ButtonColor = 16514043
        ArrowColor = clBlack
        Style = csDropDownList
        Color = clSkyBlue
        ItemHeight = 13
        ItemIndex = 3
        TabOrder = 0
        Items.Strings = (
          '1200'
          '2400'
          '4800'
          '9600'
          '19200'
          '38400'
          '57600')
      end
      object kivComboBox2: TkivComboBox
        Left = 169
        Top = 18
        Width = 63
        Height = 21
        UIStyle = Protein
        BorderColor = clBlack
        ButtonColor = 16514043
        ArrowColor = clBlack
        Style = csDropDownList
        Color = clSkyBlue
        ItemHeight = 13
        ItemIndex = 0
        TabOrder = 1
        Items.Strings = (
          'NO'
          'ODD'
          'EVEN')
      end
    end
    object btn_WriteAll: TkivButton
      Left = 24
      Top = 200
      Width = 97
      Height = 25
      UIStyle = Protein
      AutoSize = False
      Transparent = False
      FocusedRectMargin = 2
      Layout = blGlyphLeft
      Spacing = 4
      MouseContinuouslyDownInterval = 100
      ModalResult = 0
      ResHandle = 0
      Caption = 'Write All'
      Font.Charset = DEFAULT_CHARSET
      Font.Color = clBlack
      Font.Height = -11
      Font.Name = 'MS Sans Serif'
      Font.Style = []
      TabOrder = 8
      OnClick = btn_WriteAllClick
    end
    object btn_ReadAll: TkivButton
      Left = 24
      Top = 248
      Width = 97
      Height = 27
      UIStyle = Protein
      AutoSize = False
      Transparent = False
      FocusedRectMargin = 2
      Layout = blGlyphLeft
      Spacing = 4
      MouseContinuouslyDownInterval = 100
      ModalResult = 0
      ResHandle = 0
      Caption = 'Read All'
      Font.Charset = DEFAULT_CHARSET
      Font.Color = clBlack
      Font.Height = -11
      Font.Name = 'MS Sans Serif'
      Font.Style = []
      TabOrder = 9
      OnClick = btn_ReadAllClick
    end
    object Bevel1: TBevel
      Left = 136
      Top = 184
      Width = 265
      Height = 104
    end
    object Label7: TLabel
      Left = 150
      Top = 198
      Width = 18
      Height = 13
      Caption = 'RX:'
      Font.Charset = DEFAULT_CHARSET
      Font.Color = clBlack
      Font.Height = -11
      Font.Name = 'MS Sans Serif'
      Font.Style = []
    end
    object Label8: TLabel
      Left = 150
      Top = 233
      Width = 17
      Height = 13
      Caption = 'TX:'
      Font.Charset = DEFAULT_CHARSET
      Font.Color = clBlack
      Font.Height = -11
      Font.Name = 'MS Sans Serif'
      Font.Style = []
    end
    object kivEdit1: TkivEdit
      Left = 176
      Top = 193
      Width = 217
      Height = 25
      UIStyle = Protein
      BorderColor = clBlack
      Font.Charset = DEFAULT_CHARSET
      Font.Color = clBlack
      Font.Height = -11
      Font.Name = 'MS Sans Serif'
      Font.Style = []
      ReadOnly = True
      TabOrder = 10
    end
    object kivEdit2: TkivEdit
      Left = 176
      Top = 228
      Width = 217
      Height = 25
      UIStyle = Protein
      BorderColor = clBlack
      Font.Charset = DEFAULT_CHARSET
      Font.Color = clBlack
      Font.Height = -11
      Font.Name = 'MS Sans Serif'
      Font.Style = []
      TabOrder = 11
      OnKeyPress = kivEdit2KeyPress
    end
    object kivCheckBox1: TkivCheckBox
      Left = 176
      Top = 262
      Width = 65
      Height = 19
      UIStyle = Protein
      AutoSize = True
      Checked = False
      Transparent = False
      Caption = 'HexSend'
      Font.Charset = DEFAULT_CHARSET
      Font.Color = clBlack
      Font.Height = -11
      Font.Name = 'MS Sans Serif'
      Font.Style = []
      TabOrder = 12
      OnClick = kivCheckBox1Click
    end
    object kivButton1: TkivButton
      Left = 275
      Top = 260
      Width = 80
      Height = 23
      UIStyle = MacOS
      AutoSize = False
      Transparent = True
      FocusedRectMargin = 2
      Layout = blGlyphLeft
      Spacing = 4
      MouseContinuouslyDownInterval = 100
      ModalResult = 0
      ResHandle = 0
      Caption = 'Transmit'
      Font.Charset = DEFAULT_CHARSET
      Font.Color = clBlack
      Font.Height = -11
      Font.Name = 'MS Sans Serif'
      Font.Style = []
      TabOrder = 13
      OnClick = kivButton1Click
    end
    object kivStatusBar1: TkivStatusBar
      Left = 0
      Top = 292
      Width = 410
      Height = 21
      UIStyle = Protein
      PanelColor = 16514043
      Color = 16514043
      Font.Charset = DEFAULT_CHARSET
      Font.Color = clBlack
      Font.Height = -11
      Font.Name = 'MS Sans Serif'
      Font.Style = []
      Panels = <
        item
          Width = 120
        end
        item
          Alignment = taCenter
          Width = 160
        end
        item
          Alignment = taCenter
          Width = 60
        end>
    end
  end
  object Timer1: TTimer
    Interval = 200
    OnTimer = Timer1Timer
  end
end
