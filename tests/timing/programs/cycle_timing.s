; Measures how many cycles each opcode takes, as a program on the machine itself would:
; with interrupts off and the KERNAL banked out, CIA 1's timer A counts every cycle from
; $FFFF down and is read before and after one instruction. The difference, less the same
; difference with no instruction between (the empty reading), is the instruction's count.
; Every opcode byte is measured except the twelve that jam the processor, each in its
; forms: indexed accesses with and without a page crossing, branches not taken, taken
; within the page and taken to the next page, both JMPs, JSR, RTS, RTI, the stack
; instructions, BRK's entry and, last, the entry of an interrupt from timer B.
;
; Results: the count of case n at $C000+n, its opcode at $C200+n (so that a reader can
; tell it reads the cases it expects), the number of cases at $C3FC (low, high), the
; empty readings at $C3F0; $A5 at $02 once the program has finished, which then loops.

.segment "LOADADDR"
        .word $0801

.segment "CODE"
        .org $0801              ; absolute: the page-crossing branches place code by address
        .word basic_end         ; a BASIC line, 10 SYS 2061, that starts the code below
        .word 10
        .byte $9E, "2061", 0
basic_end:
        .word 0

TIMER       = $DC04             ; CIA 1 timer A, low byte
results     = $C000
opcodes     = $C200
raw_empty   = $C3F0
case_count  = $C3FC
done_marker = $02
DONE        = $A5

; Zero page: the readings and the record's state.
start       = $F0               ; the timer before the instruction
stop        = $F1               ; the timer after it
empty       = $F2               ; three empty readings, by kind (see finish)
result_ptr  = $F5
opcode_ptr  = $F7
last        = $F9               ; the count recorded last
cli_cycles  = $FA               ; CLI's and NOP's counts, for the interrupt entry
nop_cycles  = $FB
nops        = $FC

; Operands. Indexed accesses use an index of NEAR (staying in the page) or FAR (reaching
; the next page); X = FAR makes ZP_BASE,X reach ZP and ZP,X reach POINTER.
ZP          = $80
ZP_BASE     = $60
POINTER     = $A0               ; holds ABS_BASE, for (zp),Y and (zp,X)
ABS         = $C480
ABS_BASE    = $C4F0
NEAR        = $05
FAR         = $20
; The register an indexed instruction does not index with: SHX and SHY store it ANDed with
; the target's high byte + 1, which then leaves that byte as it is ($C5 both ways).
OTHER       = $C5
VECTOR      = $C600             ; JMP (abs)'s pointer

; ---------------------------------------------------------------------------------------
; The readings.

; The first reading.
.macro begin
        lda TIMER
        sta start
.endmacro

; The second reading, then the case recorded.
.macro finish opcode, kind
        lda TIMER
        sta stop
        record_case opcode, kind
.endmacro

; Puts the machine back as every case starts (interrupts off, binary arithmetic, the
; stack empty) and records the case. `kind` picks the empty reading subtracted: 0 (the
; default) nothing between the readings, 1 an LDX # between, 2 CLI and NOPs between.
.macro record_case opcode, kind
        sei
        cld
        ldx #$FF
        txs
        lda #opcode
.ifblank kind
        ldx #0
.else
        ldx #kind
.endif
        jsr record
.endmacro

; ---------------------------------------------------------------------------------------
; One instruction between the readings, by addressing mode.

.macro implied opcode           ; also the accumulator forms
        begin
        .byte opcode
        finish opcode
.endmacro

.macro immediate opcode
        begin
        .byte opcode, $00
        finish opcode
.endmacro

.macro zero_page opcode
        begin
        .byte opcode, ZP
        finish opcode
.endmacro

.macro zero_page_x opcode
        ldx #FAR
        begin
        .byte opcode, ZP_BASE
        finish opcode
.endmacro

.macro zero_page_y opcode
        ldy #FAR
        begin
        .byte opcode, ZP_BASE
        finish opcode
.endmacro

.macro absolute opcode
        begin
        .byte opcode, <ABS, >ABS
        finish opcode
.endmacro

.macro absolute_x opcode, index
        ldx #index
        ldy #OTHER
        begin
        .byte opcode, <ABS_BASE, >ABS_BASE
        finish opcode
.endmacro

.macro absolute_y opcode, index
        ldx #OTHER
        ldy #index
        begin
        .byte opcode, <ABS_BASE, >ABS_BASE
        finish opcode
.endmacro

.macro indirect_x opcode
        ldx #FAR
        begin
        .byte opcode, ZP
        finish opcode
.endmacro

.macro indirect_y opcode, index
        ldx #OTHER
        ldy #index
        begin
        .byte opcode, POINTER
        finish opcode
.endmacro

; The indexed forms twice: within the page, then across to the next.
.macro both_x opcode
        absolute_x opcode, NEAR
        absolute_x opcode, FAR
.endmacro
.macro both_y opcode
        absolute_y opcode, NEAR
        absolute_y opcode, FAR
.endmacro
.macro both_iy opcode
        indirect_y opcode, NEAR
        indirect_y opcode, FAR
.endmacro

; ---------------------------------------------------------------------------------------
; Instructions that need the stack or the flow set up.

; PLA and PLP: the status pushed first (PLP then keeps interrupts off).
.macro pull opcode
        php
        begin
        .byte opcode
        finish opcode
.endmacro

; A branch three ways: not taken, taken within the page, taken to the next page. The
; skip_/take_ arguments set C and V before the first reading; the LDX # after it sets N
; and Z, so each branch case subtracts the empty reading with an LDX # between.
.macro branch opcode, skip_flags, skip_nz, take_flags, take_nz
        branch_here opcode, {skip_flags}, skip_nz
        branch_here opcode, {take_flags}, take_nz
        branch_across opcode, {take_flags}, take_nz
.endmacro

; Offset 0: taken or not, the target is the next instruction, in the same page.
.macro branch_here opcode, flags, nz
        flags
        begin
        ldx #nz
        .byte opcode, 0
        finish opcode, 1
.endmacro

; The branch's opcode at $xxFC: the next instruction is at $xxFE, the target two bytes on
; at the next page's start.
.macro branch_across opcode, flags, nz
        .local code, after, target
        flags
        jmp code
        .res ($FC - 7 - <*) & $FF
code:   begin
        ldx #nz
        .byte opcode, 2
after:  nop
        nop
target: finish opcode, 1
        .assert >after <> >target, error, "the branch does not cross a page"
        .assert <after = $FE, error, "the branch is not at the end of its page"
.endmacro

.macro jump_absolute
        .local target
        begin
        jmp target
target: finish $4C
.endmacro

; JMP (pointer). For a pointer at $xxFF the 6510 takes the high byte from $xx00, not from
; the next page: the target's high byte is written to both.
.macro jump_indirect pointer
        .local target, address
address = pointer
        lda #<target
        sta address
        lda #>target
        sta address + 1
.if <address = $FF
        sta address & $FF00
.endif
        begin
        .byte $6C, <address, >address   ; JMP (address), which ca65 would warn about
target: finish $6C
.endmacro

.macro jump_subroutine
        .local target
        begin
        jsr target
target: finish $20
.endmacro

.macro return_from_subroutine
        .local target
        lda #>(target - 1)
        pha
        lda #<(target - 1)
        pha
        begin
        rts
target: finish $60
.endmacro

.macro return_from_interrupt
        .local target
        lda #>target
        pha
        lda #<target
        pha
        lda #$24                ; the status pulled: interrupts off
        pha
        begin
        rti
target: finish $40
.endmacro

; BRK through the vector at $FFFE (RAM while the KERNAL is banked out): the handler's first
; instruction is the second reading.
.macro break_entry
        .local entry
        lda #<entry
        sta $FFFE
        lda #>entry
        sta $FFFF
        begin
        brk
        .byte $EA               ; the byte BRK skips
entry:  finish $00
        jsr default_vectors
.endmacro

; ---------------------------------------------------------------------------------------
; Set-up.

main:   sei
        cld
        ldx #$FF
        txs
        lda #$35                ; KERNAL and BASIC out, I/O in
        sta $01
        jsr default_vectors
        lda #<nmi
        sta $FFFA
        lda #>nmi
        sta $FFFB

        ; The video chip: no raster interrupt, no sprites, the screen blanked (no bad
        ; lines steal cycles from the frame after line 250 on).
        lda #0
        sta $D01A
        sta $D015
        lda #$FF
        sta $D019
        lda $D011
        and #$EF
        sta $D011
:       lda $D012
        cmp #250
        bne :-

        ; The CIAs: every interrupt source off, flags cleared, timer B stopped.
        lda #$7F
        sta $DC0D
        sta $DD0D
        lda $DC0D
        lda $DD0D
        lda #0
        sta $DC0F

        ; Timer A: latch $FFFF, continuous, counting every cycle. It goes $FFFF ... 0 and
        ; back to $FFFF, so the difference of two low bytes is the cycles between them.
        lda #0
        sta $DC0E
        lda #$FF
        sta $DC04
        sta $DC05
        lda #$11                ; start, continuous, load the latch
        sta $DC0E

        lda #<ABS_BASE
        sta POINTER
        lda #>ABS_BASE
        sta POINTER + 1
        lda #<results
        sta result_ptr
        lda #>results
        sta result_ptr + 1
        lda #<opcodes
        sta opcode_ptr
        lda #>opcodes
        sta opcode_ptr + 1
        lda #0
        sta case_count
        sta case_count + 1
        sta done_marker
        sta raw_empty + 2       ; stays 0 unless the interrupt case is entered

        ; The empty readings: nothing between, then an LDX # between.
        begin
        lda TIMER
        sta stop
        ldx #0
        jsr store_empty
        begin
        ldx #0
        lda TIMER
        sta stop
        ldx #1
        jsr store_empty
        jmp cases

; Stores start - stop as the empty reading of kind X.
store_empty:
        lda start
        sec
        sbc stop
        sta empty,x
        sta raw_empty,x
        rts

; Records the case of opcode A: start - stop less the empty reading of kind X, and the
; opcode, at the next place of the two tables.
record: ldy #0
        sta (opcode_ptr),y
        lda start
        sec
        sbc stop
        sec
        sbc empty,x
        sta (result_ptr),y
        sta last
        inc opcode_ptr
        bne :+
        inc opcode_ptr + 1
:       inc result_ptr
        bne :+
        inc result_ptr + 1
:       inc case_count
        bne :+
        inc case_count + 1
:       rts

; BRK and interrupts between the cases (none is expected) return at once.
default_vectors:
        lda #<ignore
        sta $FFFE
        lda #>ignore
        sta $FFFF
        rts
ignore: rti
nmi:    rti

v_set:  .byte $40               ; BIT of this byte sets V

; ---------------------------------------------------------------------------------------
; The cases, by opcode.

cases:
        break_entry                     ; $00 BRK
        indirect_x      $01             ; ORA (zp,X)
        indirect_x      $03             ; SLO (zp,X)
        zero_page       $04             ; NOP zp
        zero_page       $05             ; ORA zp
        zero_page       $06             ; ASL zp
        zero_page       $07             ; SLO zp
        implied         $08             ; PHP
        immediate       $09             ; ORA #
        implied         $0A             ; ASL A
        immediate       $0B             ; ANC #
        absolute        $0C             ; NOP abs
        absolute        $0D             ; ORA abs
        absolute        $0E             ; ASL abs
        absolute        $0F             ; SLO abs
        branch          $10, , $80, , $01               ; BPL: N set / clear
        both_iy         $11             ; ORA (zp),Y
        both_iy         $13             ; SLO (zp),Y
        zero_page_x     $14             ; NOP zp,X
        zero_page_x     $15             ; ORA zp,X
        zero_page_x     $16             ; ASL zp,X
        zero_page_x     $17             ; SLO zp,X
        implied         $18             ; CLC
        both_y          $19             ; ORA abs,Y
        implied         $1A             ; NOP
        both_y          $1B             ; SLO abs,Y
        both_x          $1C             ; NOP abs,X
        both_x          $1D             ; ORA abs,X
        both_x          $1E             ; ASL abs,X
        both_x          $1F             ; SLO abs,X

        jump_subroutine                 ; $20 JSR
        indirect_x      $21             ; AND (zp,X)
        indirect_x      $23             ; RLA (zp,X)
        zero_page       $24             ; BIT zp
        zero_page       $25             ; AND zp
        zero_page       $26             ; ROL zp
        zero_page       $27             ; RLA zp
        pull            $28             ; PLP
        immediate       $29             ; AND #
        implied         $2A             ; ROL A
        immediate       $2B             ; ANC #
        absolute        $2C             ; BIT abs
        absolute        $2D             ; AND abs
        absolute        $2E             ; ROL abs
        absolute        $2F             ; RLA abs
        branch          $30, , $01, , $80               ; BMI: N clear / set
        both_iy         $31             ; AND (zp),Y
        both_iy         $33             ; RLA (zp),Y
        zero_page_x     $34             ; NOP zp,X
        zero_page_x     $35             ; AND zp,X
        zero_page_x     $36             ; ROL zp,X
        zero_page_x     $37             ; RLA zp,X
        implied         $38             ; SEC
        both_y          $39             ; AND abs,Y
        implied         $3A             ; NOP
        both_y          $3B             ; RLA abs,Y
        both_x          $3C             ; NOP abs,X
        both_x          $3D             ; AND abs,X
        both_x          $3E             ; ROL abs,X
        both_x          $3F             ; RLA abs,X

        return_from_interrupt           ; $40 RTI
        indirect_x      $41             ; EOR (zp,X)
        indirect_x      $43             ; SRE (zp,X)
        zero_page       $44             ; NOP zp
        zero_page       $45             ; EOR zp
        zero_page       $46             ; LSR zp
        zero_page       $47             ; SRE zp
        implied         $48             ; PHA
        immediate       $49             ; EOR #
        implied         $4A             ; LSR A
        immediate       $4B             ; ALR #
        jump_absolute                   ; $4C JMP abs
        absolute        $4D             ; EOR abs
        absolute        $4E             ; LSR abs
        absolute        $4F             ; SRE abs
        branch          $50, {bit v_set}, $01, clv, $01 ; BVC: V set / clear
        both_iy         $51             ; EOR (zp),Y
        both_iy         $53             ; SRE (zp),Y
        zero_page_x     $54             ; NOP zp,X
        zero_page_x     $55             ; EOR zp,X
        zero_page_x     $56             ; LSR zp,X
        zero_page_x     $57             ; SRE zp,X
        lda $DC0D                       ; (no request left that CLI would let in)
        implied         $58             ; CLI
        lda last
        sta cli_cycles
        both_y          $59             ; EOR abs,Y
        implied         $5A             ; NOP
        both_y          $5B             ; SRE abs,Y
        both_x          $5C             ; NOP abs,X
        both_x          $5D             ; EOR abs,X
        both_x          $5E             ; LSR abs,X
        both_x          $5F             ; SRE abs,X

        return_from_subroutine          ; $60 RTS
        indirect_x      $61             ; ADC (zp,X)
        indirect_x      $63             ; RRA (zp,X)
        zero_page       $64             ; NOP zp
        zero_page       $65             ; ADC zp
        zero_page       $66             ; ROR zp
        zero_page       $67             ; RRA zp
        pull            $68             ; PLA
        immediate       $69             ; ADC #
        implied         $6A             ; ROR A
        immediate       $6B             ; ARR #
        jump_indirect   VECTOR          ; $6C JMP (abs)
        jump_indirect   VECTOR + $FF    ; $6C JMP (abs), the pointer at $xxFF
        absolute        $6D             ; ADC abs
        absolute        $6E             ; ROR abs
        absolute        $6F             ; RRA abs
        branch          $70, clv, $01, {bit v_set}, $01 ; BVS: V clear / set
        both_iy         $71             ; ADC (zp),Y
        both_iy         $73             ; RRA (zp),Y
        zero_page_x     $74             ; NOP zp,X
        zero_page_x     $75             ; ADC zp,X
        zero_page_x     $76             ; ROR zp,X
        zero_page_x     $77             ; RRA zp,X
        implied         $78             ; SEI
        both_y          $79             ; ADC abs,Y
        implied         $7A             ; NOP
        both_y          $7B             ; RRA abs,Y
        both_x          $7C             ; NOP abs,X
        both_x          $7D             ; ADC abs,X
        both_x          $7E             ; ROR abs,X
        both_x          $7F             ; RRA abs,X

        immediate       $80             ; NOP #
        indirect_x      $81             ; STA (zp,X)
        immediate       $82             ; NOP #
        indirect_x      $83             ; SAX (zp,X)
        zero_page       $84             ; STY zp
        zero_page       $85             ; STA zp
        zero_page       $86             ; STX zp
        zero_page       $87             ; SAX zp
        implied         $88             ; DEY
        immediate       $89             ; NOP #
        implied         $8A             ; TXA
        immediate       $8B             ; ANE #
        absolute        $8C             ; STY abs
        absolute        $8D             ; STA abs
        absolute        $8E             ; STX abs
        absolute        $8F             ; SAX abs
        branch          $90, sec, $01, clc, $01         ; BCC: C set / clear
        both_iy         $91             ; STA (zp),Y
        indirect_y      $93, NEAR       ; SHA (zp),Y (across a page it stores elsewhere)
        zero_page_x     $94             ; STY zp,X
        zero_page_x     $95             ; STA zp,X
        zero_page_y     $96             ; STX zp,Y
        zero_page_y     $97             ; SAX zp,Y
        implied         $98             ; TYA
        both_y          $99             ; STA abs,Y
        tsx
        implied         $9A             ; TXS
        absolute_y      $9B, NEAR       ; SHS abs,Y (as SHA)
        both_x          $9C             ; SHY abs,X
        both_x          $9D             ; STA abs,X
        both_y          $9E             ; SHX abs,Y
        absolute_y      $9F, NEAR       ; SHA abs,Y (as SHA)

        immediate       $A0             ; LDY #
        indirect_x      $A1             ; LDA (zp,X)
        immediate       $A2             ; LDX #
        indirect_x      $A3             ; LAX (zp,X)
        zero_page       $A4             ; LDY zp
        zero_page       $A5             ; LDA zp
        zero_page       $A6             ; LDX zp
        zero_page       $A7             ; LAX zp
        implied         $A8             ; TAY
        immediate       $A9             ; LDA #
        implied         $AA             ; TAX
        immediate       $AB             ; LXA #
        absolute        $AC             ; LDY abs
        absolute        $AD             ; LDA abs
        absolute        $AE             ; LDX abs
        absolute        $AF             ; LAX abs
        branch          $B0, clc, $01, sec, $01         ; BCS: C clear / set
        both_iy         $B1             ; LDA (zp),Y
        both_iy         $B3             ; LAX (zp),Y
        zero_page_x     $B4             ; LDY zp,X
        zero_page_x     $B5             ; LDA zp,X
        zero_page_y     $B6             ; LDX zp,Y
        zero_page_y     $B7             ; LAX zp,Y
        implied         $B8             ; CLV
        both_y          $B9             ; LDA abs,Y
        implied         $BA             ; TSX
        both_y          $BB             ; LAS abs,Y
        both_x          $BC             ; LDY abs,X
        both_x          $BD             ; LDA abs,X
        both_y          $BE             ; LDX abs,Y
        both_y          $BF             ; LAX abs,Y

        immediate       $C0             ; CPY #
        indirect_x      $C1             ; CMP (zp,X)
        immediate       $C2             ; NOP #
        indirect_x      $C3             ; DCP (zp,X)
        zero_page       $C4             ; CPY zp
        zero_page       $C5             ; CMP zp
        zero_page       $C6             ; DEC zp
        zero_page       $C7             ; DCP zp
        implied         $C8             ; INY
        immediate       $C9             ; CMP #
        implied         $CA             ; DEX
        immediate       $CB             ; SBX #
        absolute        $CC             ; CPY abs
        absolute        $CD             ; CMP abs
        absolute        $CE             ; DEC abs
        absolute        $CF             ; DCP abs
        branch          $D0, , $00, , $01               ; BNE: Z set / clear
        both_iy         $D1             ; CMP (zp),Y
        both_iy         $D3             ; DCP (zp),Y
        zero_page_x     $D4             ; NOP zp,X
        zero_page_x     $D5             ; CMP zp,X
        zero_page_x     $D6             ; DEC zp,X
        zero_page_x     $D7             ; DCP zp,X
        implied         $D8             ; CLD
        both_y          $D9             ; CMP abs,Y
        implied         $DA             ; NOP
        both_y          $DB             ; DCP abs,Y
        both_x          $DC             ; NOP abs,X
        both_x          $DD             ; CMP abs,X
        both_x          $DE             ; DEC abs,X
        both_x          $DF             ; DCP abs,X

        immediate       $E0             ; CPX #
        indirect_x      $E1             ; SBC (zp,X)
        immediate       $E2             ; NOP #
        indirect_x      $E3             ; ISC (zp,X)
        zero_page       $E4             ; CPX zp
        zero_page       $E5             ; SBC zp
        zero_page       $E6             ; INC zp
        zero_page       $E7             ; ISC zp
        implied         $E8             ; INX
        immediate       $E9             ; SBC #
        implied         $EA             ; NOP
        lda last
        sta nop_cycles
        immediate       $EB             ; SBC #
        absolute        $EC             ; CPX abs
        absolute        $ED             ; SBC abs
        absolute        $EE             ; INC abs
        absolute        $EF             ; ISC abs
        branch          $F0, , $01, , $00               ; BEQ: Z clear / set
        both_iy         $F1             ; SBC (zp),Y
        both_iy         $F3             ; ISC (zp),Y
        zero_page_x     $F4             ; NOP zp,X
        zero_page_x     $F5             ; SBC zp,X
        zero_page_x     $F6             ; INC zp,X
        zero_page_x     $F7             ; ISC zp,X
        implied         $F8             ; SED
        both_y          $F9             ; SBC abs,Y
        implied         $FA             ; NOP
        both_y          $FB             ; ISC abs,Y
        both_x          $FC             ; NOP abs,X
        both_x          $FD             ; SBC abs,X
        both_x          $FE             ; INC abs,X
        both_x          $FF             ; ISC abs,X

; ---------------------------------------------------------------------------------------
; An interrupt's entry, recorded as opcode $00 (BRK's sequence). Timer B runs out with its
; interrupt enabled while interrupts are off; then CLI lets the request in. The 6510 runs
; one more instruction after CLI before it takes the request, so NOPs follow; the handler
; counts from the return address those that ran and adds CLI's and their counts, as
; measured above, to the empty reading (kind 2).

        lda #<irq_entry
        sta $FFFE
        lda #>irq_entry
        sta $FFFF
        lda $DC0D               ; no flag left over
        lda #$10
        sta $DC06
        lda #0
        sta $DC07
        lda #$19                ; start, one-shot, load the latch
        sta $DC0F
        lda #$82                ; timer B's interrupt on
        sta $DC0D
        ldx #20
:       dex
        bne :-                  ; about 100 cycles: timer B has run out
        begin
        cli
slide:  .res 8, $EA
        ; No interrupt came: recorded as it is (CLI and eight NOPs, less the empty reading),
        ; which no table expects.
        finish $00
        jmp irq_done

irq_entry:
        lda TIMER
        sta stop
        pla                     ; the status
        pla                     ; the return address's low byte: after the NOPs that ran
        sec
        sbc #<slide
        sta nops
        lda empty
        clc
        adc cli_cycles
        ldy nops
        beq :++
:       clc
        adc nop_cycles
        dey
        bne :-
:       sta empty + 2
        sta raw_empty + 2
        lda #$7F                ; timer B's interrupt off and its flag cleared
        sta $DC0D
        lda $DC0D
        record_case $00, 2

irq_done:
        jsr default_vectors
        lda #DONE
        sta done_marker
finished:
        jmp finished
